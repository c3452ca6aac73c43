#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 Karvel

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: status
short_description: Gather a router's line state, connection log and firmware as facts
description:
  - Reads what the settings window's Status page shows with C(tolvaro-cli status) and
    returns it as the fact C(tolvaro).
  - A router that cannot be read does not fail the task; its fact says C(reachable=false)
    with the reason, so that a play can report or skip it.
version_added: 2.4.0
author: Karvel (@karvel)
extends_documentation_fragment: karvel.tolvaro.cli
attributes:
  check_mode:
    description: The module only reads; it runs the same in check mode.
    support: full
  diff_mode:
    description: Not applicable; the module changes nothing.
    support: none
  facts:
    description: Sets the fact C(tolvaro).
    support: full
'''

EXAMPLES = r'''
- name: Read the branches
  karvel.tolvaro.status:
    router: "{{ router_address }}"
    password: "{{ router_password }}"

- name: Name the branches whose ISDN line is up (it costs money by the minute)
  ansible.builtin.debug:
    msg: "{{ inventory_hostname }}: {{ tolvaro.connection_status }}"
  when: tolvaro.reachable and tolvaro.line_up
'''

RETURN = r'''
ansible_facts:
  description: The fact C(tolvaro).
  returned: always
  type: complex
  contains:
    tolvaro:
      description: The router's status.
      returned: always
      type: complex
      contains:
        reachable:
          description: Whether the router could be read.
          type: bool
          returned: always
        error:
          description: Why the router could not be read.
          type: str
          returned: when C(reachable) is false
        router:
          description: The router's name.
          type: str
          returned: when reachable
        address:
          description: The router's IP address.
          type: str
          returned: when reachable
          sample: 127.0.0.21
        hardware_address:
          description: The router's hardware address.
          type: str
          returned: when reachable
          sample: 02-4B-56-00-09-02
        hardware_id:
          description: The router's hardware ID.
          type: str
          returned: when reachable
        firmware:
          description: The firmware version text.
          type: str
          returned: when reachable
          sample: 6.5 (240918-07)
        firmware_level:
          description: The firmware level taken from that text; null when it has none.
          type: int
          returned: when reachable
          sample: 65
        line_up:
          description: Whether the ISDN line is connected.
          type: bool
          returned: when reachable
        connection_status:
          description: The router's connection status text.
          type: str
          returned: when reachable
        connection_log:
          description: The connection log, one line per item.
          type: list
          elements: str
          returned: when reachable
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.karvel.tolvaro.plugins.module_utils.cli import (
    TolvaroCli, cli_options, failure_message, parse_json)


def main():
    module = AnsibleModule(argument_spec=cli_options(), supports_check_mode=True)
    cli = TolvaroCli(module)
    rc, stdout, stderr = cli.run('status', [module.params['router']], json_output=True)
    document = parse_json(stdout)
    if rc == 0 and isinstance(document, dict):
        facts = dict(document, reachable=True)
    elif rc == 1:
        facts = dict(reachable=False,
                     error=failure_message(stdout, stderr, 'the router could not be read'))
    else:
        module.fail_json(msg=failure_message(stdout, stderr, 'tolvaro-cli status failed (status %d)' % rc),
                         rc=rc, stdout=stdout, stderr=stderr)
    module.exit_json(changed=False, ansible_facts=dict(tolvaro=facts))


if __name__ == '__main__':
    main()
