#!/usr/bin/env python3
"""Runs the benchmark programs and prints each path beside its floor, with the ratios.

Every figure is the median of repeated runs; each pair runs in the same program run, so that the
ratios hold on a machine shared with other work. Usage: bench/run.py [BUILD_DIR] [--repetitions N]
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile


def run(program, repetitions, benchmark_filter=None, extra=()):
    """Median aggregates by run name (or plain results when a benchmark repeats once)."""
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        command = [program, f"--benchmark_out={out.name}", "--benchmark_out_format=json",
                   f"--benchmark_repetitions={repetitions}",
                   "--benchmark_report_aggregates_only=true",
                   # Repetitions of all benchmarks in random order, so that a path and its floor
                   # meet the same load on a shared machine.
                   "--benchmark_enable_random_interleaving=true", *extra]
        if benchmark_filter:
            command.append(f"--benchmark_filter={benchmark_filter}")
        print("$", " ".join(command[:1] + command[3:]), flush=True)
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        report = json.load(open(out.name))
    results = {}
    for entry in report["benchmarks"]:
        if entry.get("error_occurred"):
            sys.exit(f"{entry['name']}: {entry.get('error_message')}")
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        # "Memory_Peak/20/iterations:1/repeats:1" is "Memory_Peak/20".
        name = "/".join(part for part in entry["run_name"].split("/")
                        if not part.startswith(("iterations:", "repeats:")))
        results[name] = entry
    return results


def seconds(entry):
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[entry["time_unit"]]
    return entry["cpu_time"] * scale


def verdict(ok):
    return "met" if ok else "NOT MET"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()
    binaries = os.path.join(args.build, "bin")
    reps = args.repetitions
    failures = []

    def check(name, ok):
        if not ok:
            failures.append(name)
        return verdict(ok)

    # Loop overhead.
    loop = run(os.path.join(binaries, "bench_loop"), reps)
    runs = 100000
    ours = seconds(loop["Loop_NodeGraph"]) / runs * 1e9
    floor = seconds(loop["Loop_Floor"]) / runs * 1e9
    print("\nLoop overhead: 10 Math nodes, 100,000 runs (ns per run, median)")
    print(f"  Node Graph node {ours:9.1f}   direct calls {floor:7.1f}   ratio {ours / floor:5.2f}"
          f"   target ratio <= 5: {check('loop ratio', ours / floor <= 5)},"
          f" < 300 ns: {check('loop ns', ours < 300)}")

    # Image loop actions and kernels.
    image = run(os.path.join(binaries, "bench_image"), reps, "ImageLoop|Kernel")
    actions = ["replace", "comp_over", "addition", "average", "minimum", "maximum"]
    print("\nImage loop actions: 2048x2048, 20 runs (GB/s of the needed passes, median)")
    for index, action in enumerate(actions):
        ours = image[f"ImageLoop_NodeGraph/{index}"]["bytes_per_second"] / 1e9
        floor = image[f"ImageLoop_Floor/{index}"]["bytes_per_second"] / 1e9
        print(f"  {action:10} Node Graph node {ours:6.2f}   plain loops {floor:6.2f}"
              f"   fraction {ours / floor:5.2f}   target >= 0.5: "
              f"{check('image ' + action, ours / floor >= 0.5)}")
    kernels = ["mix_add", "mix_min", "mix_max", "blend_over", "multiply", "clamp", "copy"]
    print("\nImage kernels: 2048x2048 (GB/s read plus written, median)")
    for index, kernel in enumerate(kernels):
        ours = image[f"Kernel_Host/{index}"]["bytes_per_second"] / 1e9
        floor = image[f"Kernel_Plain/{index}"]["bytes_per_second"] / 1e9
        print(f"  {kernel:10} host {ours:6.2f}   plain loop {floor:6.2f}   fraction {ours / floor:5.2f}"
              f"   target >= 0.9: {check('kernel ' + kernel, ours / floor >= 0.9)}")

    # Peak memory, in a program run of its own so that nothing before it holds memory.
    memory = run(os.path.join(binaries, "bench_image"), 1, "Memory")
    peak20 = memory["Memory_Peak/20"]["peak_mib"]
    peak200 = memory["Memory_Peak/200"]["peak_mib"]
    print("\nPeak memory of one request, average action (MiB)")
    print(f"  20 runs {peak20:7.1f}   200 runs {peak200:7.1f}   growth {peak200 / peak20 - 1:+6.1%}"
          f"   target within 10%: {check('memory', peak200 <= 1.1 * peak20)}")

    # Threads: wall-clock times, one thread against two.
    parallel = run(os.path.join(binaries, "bench_parallel"), reps,
                   extra=("--benchmark_min_warmup_time=0.2",))

    def wall(name):
        return parallel[name]["real_time"]

    print("\nThreads: 2048x2048 (wall-clock ms, median)")
    for index, node in enumerate(("noise", "blur")):
        one, two = wall(f"Parallel_Node/{index}/1/real_time"), wall(f"Parallel_Node/{index}/2/real_time")
        print(f"  {node:10} 1 thread {one:7.2f}   2 threads {two:7.2f}   speed-up {one / two:5.2f}"
              f"   target >= 1.8: {check('threads ' + node, one / two >= 1.8)}")
    for index, kernel in enumerate(("mix_add", "blend_over", "multiply", "copy")):
        one = wall(f"Parallel_Kernel/{index}/1/real_time")
        two = wall(f"Parallel_Kernel/{index}/2/real_time")
        floor = wall(f"Parallel_Floor/{index}/real_time")
        print(f"  {kernel:10} 1 thread {one:7.2f}   2 threads {two:7.2f}   2-thread plain loop"
              f" {floor:7.2f}   fraction {floor / two:5.2f}   target >= 0.9: "
              f"{check('threads ' + kernel, floor / two >= 0.9)}")
    for side in (16, 64):
        one = wall(f"Small_Kernel/{side}/1/real_time")
        two = wall(f"Small_Kernel/{side}/2/real_time")
        print(f"  mix_add {side}x{side}: 1 thread {one * 1e-3:7.2f} us   2 threads {two * 1e-3:7.2f} us"
              f"   fraction {one / two:5.2f}   target >= 0.95: "
              f"{check(f'threads small {side}', one / two >= 0.95)}")

    # Loading.
    load = run(os.path.join(binaries, "bench_load"), reps)
    print("\nLoading a generated project (ms, median)")
    for nodes in (1000, 10000, 100000):
        ours = seconds(load[f"Load_ReadProject/{nodes}"]) * 1e3
        floor = seconds(load[f"Load_Floor/{nodes}"]) * 1e3
        target = ""
        if nodes == 10000:
            target = f"   target ratio <= 1.5: {check('load ratio', ours / floor <= 1.5)}"
        print(f"  {nodes:6} nodes  ReadProject {ours:8.2f} ({ours / nodes * 1e3:5.2f} us/node)"
              f"   unzip + parse {floor:7.2f}   ratio {ours / floor:5.2f}{target}")
    kept = seconds(load["Load_ReadProjectKept/10000"]) * 1e3
    print(f"   10000 nodes  ReadProject of a file read before {kept:8.2f}"
          f"   ({kept / (seconds(load['Load_ReadProject/10000']) * 1e3):4.2f} of a first read)")

    print("\nTargets not met: " + (", ".join(failures) if failures else "none"))


if __name__ == "__main__":
    main()
