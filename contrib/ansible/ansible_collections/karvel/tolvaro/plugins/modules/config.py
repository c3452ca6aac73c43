#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 Karvel

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: config
short_description: Bring a router's named settings to a desired state
description:
  - Applies a desired state to one router with C(tolvaro-cli apply), which reads the
    router, works out the named settings that differ, and writes only those, with the
    same validation as the desktop program's settings window, a snapshot of the router
    first, the router's restart and a read-back of every written setting.
  - Settings the state does not name are left alone. A router that already matches is
    not written to, not restarted and not snapshotted, and the task reports no change.
  - In check mode nothing is written; the task reports whether something would change.
  - In diff mode the differing settings are shown by name, before and after. Secrets
    show only as C(set) or C(empty).
version_added: 2.4.0
author: Karvel (@karvel)
extends_documentation_fragment: karvel.tolvaro.cli
options:
  settings:
    description:
      - The desired state as named settings, under the keys of C(tolvaro-cli get), for
        example C(quick_setup.idle_timeout).
      - Nested dictionaries are joined with dots, so a dictionary C(quick_setup) holding
        C(idle_timeout) says the same as the key C(quick_setup.idle_timeout).
      - Mutually exclusive with C(src).
    type: dict
  src:
    description:
      - A state file in TOML, as C(tolvaro-cli apply) reads it, on the host that runs the
        module. It may include other state files.
      - Mutually exclusive with C(settings).
    type: path
  confirm:
    description:
      - Answer yes to the questions a page asks before it writes (C(--yes)), such as the
        question when a change affects the ISDN link. Without it such a change fails.
    type: bool
    default: false
  reset_wait:
    description:
      - How long to wait for the router after its restart, in milliseconds
        (C(--reset-wait)).
    type: int
attributes:
  check_mode:
    description: Runs C(tolvaro-cli apply --dry-run), which reads the router and writes nothing.
    support: full
  diff_mode:
    description: The named settings that differ, before and after.
    support: full
'''

EXAMPLES = r'''
- name: Every branch gets the new DNS servers and a short idle time-out
  karvel.tolvaro.config:
    router: "{{ router_address }}"
    password: "{{ router_password }}"
    settings:
      quick_setup.idle_timeout: 7
      lan.dns1: 192.0.2.53

- name: The state kept in version control, with a per-branch file that includes a common one
  karvel.tolvaro.config:
    router: "{{ router_address }}"
    password: "{{ router_password }}"
    src: "{{ playbook_dir }}/states/{{ inventory_hostname }}.toml"
    confirm: true
'''

RETURN = r'''
changed:
  description: Whether settings were written (in check mode, whether they would be).
  returned: always
  type: bool
differences:
  description: The named settings that differ between the router and the state.
  returned: success
  type: list
  elements: dict
  contains:
    key:
      description: The setting's key, as in the state.
      type: str
      sample: quick_setup.idle_timeout
    name:
      description: The setting's name, as the settings window shows it.
      type: str
      sample: Quick Setup / Idle Time-out (minutes; seconds above firmware level 60)
    before:
      description: The router's value before; secrets as C(set) or C(empty).
      type: str
      sample: "5"
    after:
      description: The value of the state; secrets as C(set) or C(empty).
      type: str
      sample: "7"
snapshot:
  description: The snapshot kept of the router before the writes; null when nothing was written.
  returned: success
  type: str
  sample: /home/admin/.local/share/tolvaro/snapshots/02-4B-56-00-09-02/20261208T031500Z-setup.cfg
'''

import json
import os
import re

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.karvel.tolvaro.plugins.module_utils.cli import (
    TolvaroCli, cli_options, failure_message, parse_json)

_BARE_KEY = re.compile(r'^[A-Za-z0-9_-]+$')


def _flatten(settings, prefix=''):
    for key, value in settings.items():
        key = prefix + str(key)
        if isinstance(value, dict):
            for item in _flatten(value, key + '.'):
                yield item
        else:
            yield key, value


def _toml_key(key):
    # Dots separate the parts of a key; a part that is not a bare TOML key
    # (a table row such as routes[Office]) is quoted.
    return '.'.join(part if _BARE_KEY.match(part) else json.dumps(part) for part in key.split('.'))


def _toml_value(value):
    if isinstance(value, bool):
        return 'true' if value else 'false'
    if isinstance(value, (int, float)):
        return repr(value)
    if isinstance(value, (list, tuple)):
        return '[' + ', '.join(_toml_value(item) for item in value) + ']'
    # JSON's string escapes are all valid in a TOML basic string.
    return json.dumps(str(value), ensure_ascii=False)


def state_text(settings):
    return ''.join('%s = %s\n' % (_toml_key(key), _toml_value(value))
                   for key, value in sorted(_flatten(settings)))


def _diff_text(differences, side):
    return ''.join('%s: %s\n' % (d.get('name') or d.get('key'), d.get(side)) for d in differences)


def main():
    module = AnsibleModule(
        argument_spec=cli_options(
            settings=dict(type='dict'),
            src=dict(type='path'),
            confirm=dict(type='bool', default=False),
            reset_wait=dict(type='int'),
        ),
        mutually_exclusive=[('settings', 'src')],
        required_one_of=[('settings', 'src')],
        supports_check_mode=True,
    )
    params = module.params
    cli = TolvaroCli(module)

    if params['src'] is not None:
        state = params['src']
        if not os.path.isfile(state):
            module.fail_json(msg='state file %s not found' % state)
    else:
        state = os.path.join(module.tmpdir, 'state.toml')
        with open(state, 'w') as out:
            out.write(state_text(params['settings']))

    flags = ['--yes'] if params['confirm'] else []
    if params['reset_wait'] is not None:
        flags += ['--reset-wait', str(params['reset_wait'])]
    arguments = [params['router'], state]
    if module.check_mode:
        arguments.append('--dry-run')
    rc, stdout, stderr = cli.run('apply', arguments, json_output=True, global_flags=flags)

    document = parse_json(stdout)
    # A dry run exits 1 when something would change; every other run and
    # status means failure unless the plan came back.
    planned = isinstance(document, dict) and 'changed' in document
    succeeded = planned and (rc == 0 or (module.check_mode and rc == 1))
    if not succeeded:
        result = dict(rc=rc, stdout=stdout, stderr=stderr)
        if planned:
            result.update(differences=document.get('differences', []),
                          snapshot=document.get('snapshot'))
        module.fail_json(msg=failure_message(stdout, stderr, 'tolvaro-cli apply failed (status %d)' % rc),
                         **result)

    differences = document.get('differences') or []
    result = dict(changed=bool(document['changed']), differences=differences,
                  snapshot=document.get('snapshot'))
    if module._diff:
        result['diff'] = dict(before_header=params['router'], after_header=params['router'],
                              before=_diff_text(differences, 'before'),
                              after=_diff_text(differences, 'after'))
    module.exit_json(**result)


if __name__ == '__main__':
    main()
