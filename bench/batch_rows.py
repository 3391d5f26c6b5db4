#!/usr/bin/python3
"""Rows per second of `python3 -m quillmar.batch` with 1 and 2 workers, beside one `quillmar run`
process per row, for the same table of small runs, all in one program run.

Usage: /usr/bin/python3 bench/batch_rows.py [BUILD_DIR] [--rows N]
"""
import argparse
import csv
import os
import subprocess
import sys
import tempfile
import time

from distributed import LocalCluster


def timed(command, environment):
    start = time.monotonic()
    done = subprocess.run(command, env=environment, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        sys.exit(f"{' '.join(command)} failed:\n{done.stderr}")
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--rows", type=int, default=64)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    project = os.path.join(build, "examples", "octaves.qmr")
    environment = dict(os.environ, PYTHONPATH=os.path.join(build, "python"))
    # Small runs: a 64x64 picture of two octaves each.
    rows = [{"iterations": 2, "size": 64, "seed": seed} for seed in range(args.rows)]
    with tempfile.TemporaryDirectory(prefix="quillmar-bench-") as work:
        table = os.path.join(work, "table.csv")
        with open(table, "w", newline="") as file:
            writer = csv.DictWriter(file, list(rows[0]))
            writer.writeheader()
            writer.writerows(rows)

        def processes():
            for index, row in enumerate(rows):
                subprocess.run([os.path.join(build, "bin", "quillmar"), "run", project,
                                *[f"--set={name}={value}" for name, value in row.items()],
                                "-o", os.path.join(work, "processes", str(index))],
                               check=True, env=environment, stdout=subprocess.DEVNULL)

        start = time.monotonic()
        processes()
        figures = [("one quillmar run process a row", time.monotonic() - start)]
        for jobs in (1, 2):
            command = [sys.executable, "-m", "quillmar.batch", project, table, "--timeout", "600"]
            figures.append((f"quillmar.batch --jobs {jobs}, starting its cluster",
                            timed(command + ["-o", os.path.join(work, f"local{jobs}"),
                                             "--jobs", str(jobs)], environment)))
            # The workers start with this process's environment and module path.
            os.environ.update(environment)
            sys.path.insert(0, environment["PYTHONPATH"])
            with LocalCluster(n_workers=jobs, threads_per_worker=1, processes=True,
                              host="127.0.0.1", dashboard_address=None,
                              local_directory=os.path.join(work, f"dask{jobs}")) as cluster:
                figures.append((f"quillmar.batch on a running cluster of {jobs}",
                                timed(command + ["-o", os.path.join(work, f"cluster{jobs}"),
                                                 "--scheduler", cluster.scheduler_address],
                                      environment)))
    print(f"{args.rows} rows of octaves.qmr, iterations=2, size=64 ({os.cpu_count()} cores; "
          "wall-clock time of the whole command)")
    for name, seconds in figures:
        print(f"  {name:46s} {seconds:6.2f} s  {args.rows / seconds:6.1f} rows/s")


if __name__ == "__main__":
    main()
