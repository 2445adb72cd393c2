#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Reports include cycles among the project's headers and sources under the given folders.

Headers are graph nodes, edges follow quoted includes. A source file is merged into its header
(Foo.cpp into Foo.h), so two classes whose sources use each other show up as a cycle even when
their headers do not include each other; --headers-only looks at headers alone. The folders
directly below each given folder are layers and must depend one way too: a cycle among them is
reported as well. Exits non-zero when a cycle is found.
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def module(path, root):
    rel = path.relative_to(root).as_posix()
    return rel[: -len(path.suffix)]


def graph(root, folders, suffixes):
    edges = {}
    for folder in folders:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in suffixes:
                continue
            node = module(path, root)
            targets = edges.setdefault(node, set())
            for inc in INCLUDE.findall(path.read_text(encoding="utf-8")):
                target = inc.rsplit(".", 1)[0]
                if target != node and any(target.startswith(f + "/") for f in folders):
                    targets.add(target)
    return edges


def cycles(edges):
    # Tarjan's strongly connected components; every component of two or more is a cycle.
    index, low, stack, on, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def folder_of(node, folders):
    for f in folders:
        if node.startswith(f + "/"):
            rest = node[len(f) + 1 :]
            return f + "/" + rest.split("/", 1)[0] if "/" in rest else None
    return None


def layer_edges(edges, folders):
    layers = {}
    for node, targets in edges.items():
        source = folder_of(node, folders)
        if source is None:
            continue
        deps = layers.setdefault(source, set())
        for target in targets:
            layer = folder_of(target, folders)
            if layer and layer != source:
                deps.add(layer)
    return layers


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    args = sys.argv[1:]
    headers_only = "--headers-only" in args
    folders = [a.rstrip("/") for a in args if not a.startswith("--")] or ["epub"]
    edges = graph(root, folders, (".h",) if headers_only else (".h", ".cpp"))
    found = cycles(edges)
    for component in found:
        print("cycle: " + " <-> ".join(component))
    # Folders are compared on every file, headers and sources alike: a layer's sources may not
    # reach up either.
    all_edges = edges if not headers_only else graph(root, folders, (".h", ".cpp"))
    layer_cycles = cycles(layer_edges(all_edges, folders))
    for component in layer_cycles:
        print("layers depend both ways: " + " <-> ".join(component))
    found += layer_cycles
    print(f"{len(edges)} files, {len(found)} cycle(s) in {', '.join(folders)}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
