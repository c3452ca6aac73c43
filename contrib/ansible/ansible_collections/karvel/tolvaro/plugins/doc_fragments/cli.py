# -*- coding: utf-8 -*-
# Copyright 2026 Karvel

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    # The options every module passes to tolvaro-cli.
    DOCUMENTATION = r'''
options:
  router:
    description:
      - The router, named as C(tolvaro-cli) names it, by its IP address, its hardware
        address (as discovery announces it) or its name.
      - C(remote:ADDRESS[:PORT]) names a router reached over its WAN port by remote
        management, without discovery.
      - A name that several routers carry is refused; name such a router by address.
    type: str
    required: true
  password:
    description:
      - The router's administrator password.
      - It reaches C(tolvaro-cli) in its environment (C(TOLVARO_PASSWORD)), never on its
        command line, which every user of the computer can read.
      - Without it, a router that has a password is refused.
    type: str
  discovery:
    description:
      - Where discovery looks (C(--discovery)), for example C(loopback) or a comma-separated
        list of C(ADDRESS[:PORT]) items for routers on routed networks.
    type: str
  discovery_port:
    description:
      - UDP port of the routers' discovery service (C(--discovery-port)).
    type: int
  port:
    description:
      - SNMP port (C(--port)); by default the port the router announced.
    type: int
  timeout:
    description:
      - Time-out of one SNMP attempt in milliseconds (C(--timeout)).
    type: int
  retries:
    description:
      - Further SNMP attempts after a time-out (C(--retries)).
    type: int
  executable:
    description:
      - Path of C(tolvaro-cli); by default it is looked up in the C(PATH).
    type: path
notes:
  - The module runs C(tolvaro-cli) on the host that runs the module. Routers are not
    managed over SSH, so give them C(ansible_connection=local) in the inventory (or
    C(delegate_to) the controller) and install C(tolvaro-cli) there.
requirements:
  - tolvaro-cli (the C(tolvaro) Debian package)
'''
