#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# The layers, checked by what each file includes: common/, engine/ and cli/ stay free of Qt
# and of the window, common/ knows nothing of the engine, and the window reaches Ostrel only
# through its public headers (<Ostrel/...>). Prints each offending line; fails if any.
import os
import re
import sys

root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..'))
include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
ostrel_private = {f for f in os.listdir(os.path.join(root, 'controls', 'browsebox')) if f.endswith('.h')}


def qt(name):
    return re.match(r'Q[A-Za-z]*(/|$)|Qt[A-Za-z]*/', name) is not None


def layer_of(name):
    return name.split('/')[0] if '/' in name else None


# For each layer: what an include may not be, and why.
rules = {
    'common': lambda n: 'Qt' if qt(n) else 'a layer above common/' if layer_of(n) in ('engine', 'cli', 'app', 'controls') or n.startswith('Ostrel/') else None,
    'engine': lambda n: 'Qt' if qt(n) else 'the window or the shell tool' if layer_of(n) in ('cli', 'app', 'controls') or n.startswith('Ostrel/') else None,
    'cli': lambda n: 'Qt' if qt(n) else 'the window' if layer_of(n) in ('app', 'controls') or n.startswith('Ostrel/') else None,
    'app': lambda n: "Ostrel's private header" if os.path.basename(n) in ostrel_private or layer_of(n) == 'controls' else None,
}

faults = 0
for layer, rule in rules.items():
    for folder, _, files in os.walk(os.path.join(root, layer)):
        for file in sorted(files):
            if not file.endswith(('.cpp', '.h', '.h.in', '.mm')):
                continue
            path = os.path.join(folder, file)
            text = open(path, encoding='utf-8').read()
            for match in include.finditer(text):
                why = rule(match.group(2))
                if why:
                    line = text.count('\n', 0, match.start()) + 1
                    print(f'{os.path.relpath(path, root)}:{line}: includes {why}: {match.group(2)}')
                    faults += 1
print(f'layer check: {faults} offending includes')
sys.exit(1 if faults else 0)
