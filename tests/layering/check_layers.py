#!/usr/bin/env python3
"""Checks that the source folders stand on each other in one order.

Lowest first: base/; device/; update/, protocol/, browser/, music/ (siblings:
none includes another); automation/; bridge/; app/; tools/. A quoted #include
may name a header of its own folder or of a lower one, never of a higher one
or of a sibling, and bridge/ includes nothing of browser/ (the page commands
reach views and windows through their host). emulator/ stands apart: it may include base/ and the
transport headers shared with device/ (the interface and the record
writer), nothing else. Within the folders named
in ACYCLIC no two files may include each other's headers in a loop (a header
and its .cpp count as one file).

Includes are written as bare file names and resolved the way the build does:
a file of the including folder first, else the one file of that name in the
tree.

The pages' modules (pages/template/common) stand in their own order, lowest
first: strings/, data/, images/ (siblings); core/; ui/; panels/ and pages/
(siblings); the start modules beside them (app.js, music_app.js). An import
may name a module of its own folder or of a lower one, and never one outside
common/. Within core/ and ui/ no two modules import each other in a loop.

Usage: check_layers.py [ROOT]. Prints each fault; exit status 1 when there
is one.
"""
import os
import re
import sys

ORDER = [
    ['base'],
    ['device'],
    ['update', 'protocol', 'browser', 'music'],
    ['automation'],
    ['bridge'],
    ['app'],
    ['tools'],
]
RANK = {folder: rank for rank, group in enumerate(ORDER) for folder in group}
# Pairs that the order alone would allow but that must stay apart.
KEPT_APART = {('bridge', 'browser')}
# The emulator is a library of its own that the program loads at run time.
EMULATOR = 'emulator'
EMULATOR_MAY_INCLUDE = {'base'}
TRANSPORT_HEADERS = {'device/transport/transport_entry_points.h', 'device/transport/device_record_writer.h'}
# Folders whose files must not include each other in a loop.
ACYCLIC = ['protocol', 'browser', 'update']

PAGES = 'pages/template/common'
PAGE_ORDER = [
    ['strings', 'data', 'images'],
    ['core'],
    ['ui'],
    ['panels', 'pages'],
    ['.'],
]
PAGE_RANK = {folder: rank for rank, group in enumerate(PAGE_ORDER) for folder in group}
PAGE_ACYCLIC = ['core', 'ui']
IMPORT = re.compile(r"""(?:^|[;\s])(?:import|export)\s[^'";]*?from\s*['"]([^'"]+)['"]"""
                    r"""|(?:^|[;\s])import\s*['"]([^'"]+)['"]"""
                    r"""|\bimport\s*\(\s*['"]([^'"]+)['"]\s*\)""", re.M)

SOURCE = ('.h', '.hpp', '.cpp', '.cc')
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources(root):
    files = {}
    for top in list(RANK) + [EMULATOR]:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if name.endswith(SOURCE):
                    rel = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, '/')
                    files[rel] = top
    return files


def resolver(files):
    by_name = {}
    for rel in files:
        by_name.setdefault(os.path.basename(rel), []).append(rel)

    def resolve(including, target):
        beside = os.path.normpath(os.path.join(os.path.dirname(including), target)).replace(os.sep, '/')
        if beside in files:
            return beside
        candidates = [c for c in by_name.get(os.path.basename(target), []) if c.endswith(target)]
        same_top = [c for c in candidates if files[c] == files[including]]
        if len(same_top) == 1:
            return same_top[0]
        if len(candidates) == 1:
            return candidates[0]
        return None  # a system or generated header, or a name no folder owns alone

    return resolve


def allowed(source, target, files):
    here, there = files[source], files[target]
    if here == there:
        return True
    if here == EMULATOR:
        return there in EMULATOR_MAY_INCLUDE or target in TRANSPORT_HEADERS
    if there == EMULATOR or (here, there) in KEPT_APART:
        return False
    return RANK[there] < RANK[here]


def unit(rel):
    return os.path.splitext(rel)[0]


def loops(edges):
    """Strongly connected groups of more than one unit (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(node):
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(edges.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    for node in sorted(edges):
        if node not in index:
            visit(node)
    return found


def check(root):
    files = sources(root)
    resolve = resolver(files)
    faults = []
    edges = {}
    for rel in sorted(files):
        with open(os.path.join(root, rel), encoding='utf-8', errors='replace') as f:
            text = f.read()
        for target in INCLUDE.findall(text):
            dest = resolve(rel, target)
            if dest is None:
                continue
            if not allowed(rel, dest, files):
                faults.append(f'{rel} includes {dest}: {files[dest]}/ does not stand below {files[rel]}/')
            if files[rel] == files[dest] and files[rel] in ACYCLIC and unit(rel) != unit(dest):
                edges.setdefault(unit(rel), set()).add(unit(dest))
    for group in loops(edges):
        faults.append('include loop: ' + ' <-> '.join(group))
    return faults + check_pages(root)


def page_modules(root):
    """The modules below common/, each with its folder ('.' for the top)."""
    top = os.path.join(root, PAGES)
    modules = {}
    for folder, _, names in os.walk(top):
        for name in names:
            if name.endswith(('.js', '.mjs')):
                rel = os.path.relpath(os.path.join(folder, name), top).replace(os.sep, '/')
                modules[rel] = rel.split('/')[0] if '/' in rel else '.'
    return modules


def check_pages(root):
    modules = page_modules(root)
    faults = []
    edges = {}
    for rel in sorted(modules):
        here = modules[rel]
        with open(os.path.join(root, PAGES, rel), encoding='utf-8', errors='replace') as f:
            text = f.read()
        for match in IMPORT.finditer(text):
            target = next(g for g in match.groups() if g)
            if not target.startswith('.'):
                faults.append(f'{PAGES}/{rel} imports {target}: pages import their own modules only')
                continue
            dest = os.path.normpath(os.path.join(os.path.dirname(rel), target)).replace(os.sep, '/')
            if dest.startswith('..'):
                faults.append(f'{PAGES}/{rel} imports {target}: outside {PAGES}/')
                continue
            there = dest.split('/')[0] if '/' in dest else '.'
            if there not in PAGE_RANK or here not in PAGE_RANK:
                faults.append(f'{PAGES}/{rel} imports {dest}: a folder outside the pages\' order')
                continue
            if there != here and PAGE_RANK[there] >= PAGE_RANK[here]:
                faults.append(f'{PAGES}/{rel} imports {dest}: {there}/ does not stand below {here}/')
            if there == here and here in PAGE_ACYCLIC:
                edges.setdefault(rel, set()).add(dest)
    for group in loops(edges):
        faults.append('import loop: ' + ' <-> '.join(group))
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', '..')
    faults = check(os.path.abspath(root))
    for fault in faults:
        print(fault)
    print(f'{len(faults)} layering faults')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
