#!/usr/bin/env python3
"""Nested projects that fan out: CPU time of quillmar run and info against the program's start.

Level k of a generated project runs `fan` Node Graph nodes of level k + 1 on its input "x" and adds
their "y"; the last level adds 1. Each level also has an Attributes node with its side file. Every project file is small and used by many nodes: the time is
reading them, and the evaluation of fan^depth leaves. Medians of the user plus system CPU time of
--repetitions runs, interleaved with `quillmar --version` (the floor: starting the program).
Usage: bench/fanout.py [BUILD_DIR] [--repetitions N]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import zipfile

from startup import cpu_ms

# (fan, depth, command, target in seconds)
CASES = [
    (2, 12, "run", 1.0),
    (4, 6, "info", 1.0),
]


DEFINITIONS = """<?xml version="1.0" ?>
<QuillmarAttributesNode major="0" minor="0">
    <Attributes num_attributes="1">
        <Attribute id="0" name="gain" type="NUMBER" decimals="2" default="1" min="0" max="10"
                   step="0.1" />
    </Attributes>
</QuillmarAttributesNode>
"""


def node(identifier, node_type, name, values=()):
    inner = "".join(f'<Value name="{key}" type="{kind}" value="{value}" />'
                    for key, kind, value in values)
    return f'<Node id="{identifier}" type="{node_type}" name="{name}">{inner}</Node>'


def connection(source, outplug, target, inplug):
    return f'<Connection from="{source}" outplug="{outplug}" to="{target}" inplug="{inplug}" />'


def level_xml(level, fan, depth):
    nodes = [node(0, "10,1,26", "x")]
    connections = []
    if level == depth - 1:
        nodes.append(node(1, "10,2,1", "plus_one", [("b", "NUMBER", 1)]))
        connections.append(connection(0, "number", 1, "a"))
        last, plug = 1, "number"
    else:
        for index in range(fan):
            nodes.append(node(1 + index, "10,1,5", f"run_{index}",
                              [("path", "STRING", f"level{level + 1}.qmr")]))
            connections.append(connection(0, "number", 1 + index, "x"))
        last, plug = 1, "y"
        for index in range(1, fan):
            adder = fan + index
            nodes.append(node(adder, "10,2,1", f"add_{index}"))
            connections.append(connection(last, plug, adder, "a"))
            connections.append(connection(1 + index, "y", adder, "b"))
            last, plug = adder, "number"
    output = 2 * fan + 1
    nodes.append(node(output, "10,1,26", "y"))
    # As most projects have: an Attributes node, whose definitions are a side file.
    nodes.append(f'<Node id="{output + 1}" type="10,1,0" name="parameters" '
                 'definitions="parameters.xml" />')
    connections.append(connection(last, plug, output, "number"))
    return ('<?xml version="1.0" ?>\n<QuillmarProject major="1" minor="0">\n'
            + "\n".join(nodes + connections) + "\n</QuillmarProject>\n")


def write_projects(folder, fan, depth):
    for level in range(depth):
        with zipfile.ZipFile(os.path.join(folder, f"level{level}.qmr"), "w",
                             zipfile.ZIP_DEFLATED) as container:
            container.writestr("Project.xml", level_xml(level, fan, depth))
            container.writestr("parameters.xml", DEFINITIONS)
    return os.path.join(folder, "level0.qmr")


def check(command, expected):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0 or (expected and expected not in result.stdout):
        sys.exit(f"{' '.join(command)} failed ({result.returncode}), expected {expected!r}:\n"
                 f"{result.stdout}{result.stderr}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()
    program = os.path.join(args.build, "bin", "quillmar")
    failures = []
    print(f"\nNested projects that fan out (CPU s, user + system, median of {args.repetitions})")
    for fan, depth, verb, target in CASES:
        with tempfile.TemporaryDirectory() as folder:
            top = write_projects(folder, fan, depth)
            command = [program, verb, top]
            expected = ""
            if verb == "run":
                command += ["--input", "x=1"]
                # Each leaf adds one to x = 1.
                expected = f"y (number): {2 * fan ** (depth - 1)}"
            check(command, expected)
            ours, floor = [], []
            for _ in range(args.repetitions):
                ours.append(cpu_ms(command, os.environ) * 1e-3)
                floor.append(cpu_ms([program, "--version"], os.environ) * 1e-3)
        median, floor_median = statistics.median(ours), statistics.median(floor)
        ok = median < target
        if not ok:
            failures.append(f"{verb} {fan}x{depth}")
        leaves = fan ** (depth - 1)
        print(f"  quillmar {verb:4} fan {fan} depth {depth:2} ({leaves:5} leaves) {median:7.3f}"
              f"   start-up {floor_median:6.3f}   target < {target:g} s: {'yes' if ok else 'NO'}")
    print("\nTargets not met: " + (", ".join(failures) if failures else "none"))


if __name__ == "__main__":
    main()
