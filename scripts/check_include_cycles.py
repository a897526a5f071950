#!/usr/bin/env python3
"""Fails when Core's modules include each other in a cycle.

Usage: check_include_cycles.py [ROOT]   (ROOT holds Core/; default: the repository)

A module is a folder directly under Core/; a file of module A that includes
"Core/B/..." makes A depend on B. Every group of modules that reach each other is a
cycle, reported with one include that makes each of its edges.
"""
import os
import re
import sys

# The texture resource still sits in Resource while the renderer builds it and the
# resources hand out its handles; this pair goes once it moves to the renderer.
KNOWN_CYCLES = [{"Render", "Resource"}]

INCLUDE = re.compile(r'^\s*#\s*include\s*"Core/([A-Za-z0-9_]+)/')
SOURCES = (".h", ".hpp", ".cpp", ".c", ".inl")


def read_edges(core):
    """{module: {needed module: 'file:line' of the first include that needs it}}"""
    edges = {}
    for module in sorted(os.listdir(core)):
        folder = os.path.join(core, module)
        if not os.path.isdir(folder):
            continue
        needs = edges.setdefault(module, {})
        for top, _, files in sorted(os.walk(folder)):
            for name in sorted(files):
                if not name.endswith(SOURCES):
                    continue
                path = os.path.join(top, name)
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        found = INCLUDE.match(line)
                        if found and found.group(1) != module:
                            where = f"{os.path.relpath(path, os.path.dirname(core))}:{number}"
                            needs.setdefault(found.group(1), where)
    return edges


def strongly_connected(edges):
    """The groups of two or more modules that reach each other (Tarjan)."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in edges.get(node, {}):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = set()
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.add(member)
                if member == node:
                    break
            if len(group) > 1:
                groups.append(group)

    for node in sorted(edges):
        if node not in index:
            visit(node)
    return groups


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    core = os.path.join(root, "Core")
    if not os.path.isdir(core):
        print(f"check_include_cycles: no Core folder under '{root}'", file=sys.stderr)
        return 2
    edges = read_edges(core)
    failed = False
    for group in strongly_connected(edges):
        if group in KNOWN_CYCLES:
            continue
        failed = True
        print("Core modules include each other in a cycle: " + ", ".join(sorted(group)))
        for module in sorted(group):
            for need, where in sorted(edges[module].items()):
                if need in group:
                    print(f"  {module} -> {need}  ({where})")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
