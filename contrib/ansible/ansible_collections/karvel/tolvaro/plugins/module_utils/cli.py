# -*- coding: utf-8 -*-
# Copyright 2026 Karvel
"""Running tolvaro-cli for the modules of this collection."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json

# The options of plugins/doc_fragments/cli.py.
CLI_OPTIONS = dict(
    router=dict(type='str', required=True),
    password=dict(type='str', no_log=True),
    discovery=dict(type='str'),
    discovery_port=dict(type='int'),
    port=dict(type='int'),
    timeout=dict(type='int'),
    retries=dict(type='int'),
    executable=dict(type='path'),
)

_GLOBAL_OPTIONS = (
    ('discovery', '--discovery'),
    ('discovery_port', '--discovery-port'),
    ('port', '--port'),
    ('timeout', '--timeout'),
    ('retries', '--retries'),
)


def cli_options(**own):
    options = dict(CLI_OPTIONS)
    options.update(own)
    return options


class TolvaroCli(object):
    def __init__(self, module):
        self.module = module
        params = module.params
        self.binary = params['executable'] or module.get_bin_path('tolvaro-cli', required=True)

    def run(self, command, arguments, json_output=False, global_flags=None):
        """Runs one command; returns (rc, stdout, stderr)."""
        params = self.module.params
        args = [self.binary]
        for name, option in _GLOBAL_OPTIONS:
            if params.get(name) is not None:
                args += [option, str(params[name])]
        args += list(global_flags or [])
        if json_output:
            args.append('--json')
        args.append(command)
        args += list(arguments)
        # In the environment, not on the command line: /proc/PID/environ is
        # readable by its owner only, the command line by everyone.
        environment = {}
        if params['password'] is not None:
            environment['TOLVARO_PASSWORD'] = params['password']
        return self.module.run_command(args, environ_update=environment)


def parse_json(text):
    """The JSON document tolvaro-cli printed, or None."""
    try:
        return json.loads(text)
    except ValueError:
        return None


def failure_message(stdout, stderr, fallback):
    """The command's own message: its JSON error, else its standard error."""
    document = parse_json(stdout)
    if isinstance(document, dict) and document.get('error'):
        return document['error']
    lines = [line for line in stderr.splitlines() if line.strip()]
    if lines:
        return '\n'.join(line[len('tolvaro-cli: '):] if line.startswith('tolvaro-cli: ') else line
                         for line in lines if not line.startswith('Try tolvaro-cli --help'))
    return fallback
