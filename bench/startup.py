#!/usr/bin/env python3
"""Start-up cost of the quillmar program: CPU time of short commands against a program that does nothing.

Each command runs --repetitions times, interleaved with the floor program so that both meet the
same load; figures are medians of the user plus system CPU time of the child process.
Usage: bench/startup.py [BUILD_DIR] [--repetitions N]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

# (label, arguments after the program, target in ms of CPU time)
COMMANDS = [
    ("quillmar --help", ["--help"], 30),
    ("quillmar --version", ["--version"], 30),
    ("quillmar info frames.qmr", ["info", "{examples}/frames.qmr"], 60),
    ("quillmar run frames.qmr (no images)",
     ["run", "{examples}/frames.qmr", "--set", "iterations=4", "--input", "total=10",
      "--input", "growth=1"], 80),
]


def cpu_ms(command, environment):
    """User plus system CPU time of one run of `command`, in milliseconds."""
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               env=environment)
    _, status, usage = os.wait4(process.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(command)} failed")
    return (usage.ru_utime + usage.ru_stime) * 1e3


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--repetitions", type=int, default=30)
    args = parser.parse_args()
    binaries = os.path.join(args.build, "bin")
    examples = os.path.join(args.build, "examples")
    floor_program = [os.path.join(binaries, "bench_startup_floor")]
    # As a user runs it: the plug-in found by the program itself, settings in a folder of their own.
    environment = {key: value for key, value in os.environ.items()
                   if key not in ("QUILLMAR_PLUGIN_PATH", "QUILLMAR_PROJECT_PATH")}
    failures = []
    with tempfile.TemporaryDirectory() as config:
        environment["XDG_CONFIG_HOME"] = config
        print(f"\nStart-up: CPU time (user + system, ms, median of {args.repetitions})")
        for label, arguments, target in COMMANDS:
            command = [os.path.join(binaries, "quillmar")] + [
                argument.format(examples=examples) for argument in arguments]
            ours, floor = [], []
            for _ in range(args.repetitions):
                ours.append(cpu_ms(command, environment))
                floor.append(cpu_ms(floor_program, environment))
            median, floor_median = statistics.median(ours), statistics.median(floor)
            ok = median < target
            if not ok:
                failures.append(label)
            print(f"  {label:38} {median:7.1f}   empty program {floor_median:5.1f}"
                  f"   target < {target} ms: {'met' if ok else 'NOT MET'}")
    print("\nStart-up targets not met: " + (", ".join(failures) if failures else "none"))


if __name__ == "__main__":
    main()
