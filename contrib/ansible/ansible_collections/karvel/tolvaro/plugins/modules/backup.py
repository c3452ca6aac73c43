#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 Karvel

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: backup
short_description: Keep a router's configuration file and named settings on the controller
description:
  - Reads one router's configuration with C(tolvaro-cli save) and writes it to C(dest), a
    configuration file that C(tolvaro-cli load) or the desktop program's Load can write
    back, and its named settings as text (C(tolvaro-cli show)) to C(settings_dest), so that
    a version-control diff says in words what changed.
  - A file is replaced only when its content changed, through a temporary file in the same
    folder, so an interrupted run never leaves half a file. The task reports a change only
    when one of the two files changed.
  - The configuration file holds the router's passwords. A new one is readable by its owner
    only; a replaced one keeps its mode and owner unless C(mode), C(owner) or C(group) say
    otherwise. The named settings show secrets only as C(set) or C(empty).
  - The router is only read, also outside check mode.
version_added: 2.4.0
author: Karvel (@karvel)
extends_documentation_fragment:
  - karvel.tolvaro.cli
  - ansible.builtin.files
options:
  dest:
    description:
      - Path of the configuration file on the host that runs the module. Its folder must exist.
    type: path
    required: true
  settings_dest:
    description:
      - Path of the named-settings text; by default C(dest) with its extension replaced by
        C(.txt).
    type: path
attributes:
  check_mode:
    description: Reads the router and reports whether the files would change, writing nothing.
    support: full
  diff_mode:
    description: The named-settings text before and after.
    support: full
'''

EXAMPLES = r'''
- name: Back up every branch into the repository of router configurations
  karvel.tolvaro.backup:
    router: "{{ router_address }}"
    password: "{{ router_password }}"
    dest: "/srv/router-configs/{{ inventory_hostname }}.cfg"
  delegate_to: localhost
'''

RETURN = r'''
dest:
  description: Path of the configuration file.
  returned: success
  type: str
  sample: /srv/router-configs/branch-north.cfg
settings_dest:
  description: Path of the named-settings text.
  returned: success
  type: str
  sample: /srv/router-configs/branch-north.txt
'''

import os
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.common.text.converters import to_bytes
from ansible_collections.karvel.tolvaro.plugins.module_utils.cli import (
    TolvaroCli, cli_options, failure_message)


def _read(path):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except (IOError, OSError):
        return None


def _replace(module, path, content):
    """Writes content to path by a temporary file in its folder, as save does."""
    folder = os.path.dirname(os.path.abspath(path))
    try:
        # mkstemp makes the file 0600: right for a new configuration file.
        fd, temporary = tempfile.mkstemp(dir=folder, prefix='.%s.' % os.path.basename(path))
    except (IOError, OSError) as e:
        module.fail_json(msg='cannot create a file in %s: %s' % (folder, e))
    try:
        with os.fdopen(fd, 'wb') as f:
            f.write(content)
            f.flush()
            os.fsync(f.fileno())
        if os.path.exists(path):
            old = os.stat(path)
            os.chmod(temporary, old.st_mode & 0o7777)
            try:
                os.chown(temporary, old.st_uid, old.st_gid)
            except OSError:
                pass
        os.rename(temporary, path)
    except (IOError, OSError) as e:
        if os.path.exists(temporary):
            os.unlink(temporary)
        module.fail_json(msg='cannot write %s: %s' % (path, e))


def main():
    module = AnsibleModule(
        argument_spec=cli_options(
            dest=dict(type='path', required=True),
            settings_dest=dict(type='path'),
        ),
        add_file_common_args=True,
        supports_check_mode=True,
    )
    params = module.params
    dest = params['dest']
    settings_dest = params['settings_dest'] or os.path.splitext(dest)[0] + '.txt'
    if os.path.realpath(settings_dest) == os.path.realpath(dest):
        module.fail_json(msg='settings_dest must not be dest')
    if not os.path.isdir(os.path.dirname(os.path.abspath(dest))):
        module.fail_json(msg='the folder of %s does not exist' % dest)

    cli = TolvaroCli(module)
    saved = os.path.join(module.tmpdir, 'router.cfg')
    rc, stdout, stderr = cli.run('save', [params['router'], saved])
    if rc != 0:
        module.fail_json(msg=failure_message(stdout, stderr, 'tolvaro-cli save failed (status %d)' % rc),
                         rc=rc, stdout=stdout, stderr=stderr)
    rc, text, stderr = cli.run('show', [saved])
    if rc != 0:
        module.fail_json(msg=failure_message(text, stderr, 'tolvaro-cli show failed (status %d)' % rc),
                         rc=rc, stderr=stderr)

    configuration = _read(saved)
    settings = to_bytes(text)
    old_settings = _read(settings_dest)
    changed = False
    for path, content, old in ((dest, configuration, _read(dest)),
                               (settings_dest, settings, old_settings)):
        if content != old:
            changed = True
            if not module.check_mode:
                _replace(module, path, content)

    result = dict(dest=dest, settings_dest=settings_dest)
    if not module.check_mode:
        for path in (dest, settings_dest):
            file_args = module.load_file_common_arguments(params, path=path)
            changed = module.set_fs_attributes_if_different(file_args, changed)
    if module._diff:
        result['diff'] = dict(before_header=settings_dest, after_header=settings_dest,
                              before=(old_settings or b'').decode('utf-8', 'replace'),
                              after=text)
    module.exit_json(changed=changed, **result)


if __name__ == '__main__':
    main()
