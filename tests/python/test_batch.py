import csv
import json
import os
import signal
import subprocess
import sys
import time

from conftest import example

TIMEOUT = 60


def batch(table, output, *options):
    command = [sys.executable, "-m", "quillmar.batch", example("octaves"), table, "-o", output,
               "--timeout", str(TIMEOUT), *options]
    return subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def finish(process):
    _, stderr = process.communicate(timeout=TIMEOUT)
    return process.returncode, stderr


def write_table(path, rows):
    with open(path, "w", newline="") as file:
        writer = csv.DictWriter(file, ["iterations", "size", "seed"])
        writer.writeheader()
        writer.writerows(rows)


def results(folder):
    with open(os.path.join(folder, "results.jsonl")) as file:
        return [json.loads(line) for line in file]


def test_local_batch_records_rows_keeps_going_past_a_failure_and_resumes(work):
    table = os.path.join(work, "table.csv")
    output = os.path.join(work, "out")
    write_table(table, [{"iterations": 2, "size": 32, "seed": 1},
                        {"iterations": 2, "size": 5, "seed": 2},
                        {"iterations": 1, "size": 48, "seed": 3}])
    code, stderr = finish(batch(table, output, "--jobs", "1"))
    assert code == 1 and "row 2: --set size=5" in stderr, stderr
    rows = {row["row"]: row for row in results(output)}
    # Row, error, states, files and values; each written image is a picture.
    assert {number: (row["error"], row["states"], row["files"], row["values"])
            for number, row in rows.items()} == {
        1: (None, [], ["1/image.png"], {"image": "1/image.png"}),
        2: ("--set size=5: size takes a number from 16 to 4096", [], [], {}),
        3: (None, [], ["3/image.png"], {"image": "3/image.png"})}
    assert rows[1]["seconds"] > 0 and os.path.getsize(os.path.join(output, "3/image.png")) > 0
    assert rows[1]["parameters"] == {"iterations": "2", "size": "32", "seed": "1"}
    assert sorted(os.listdir(output)) == ["1", "3", "results.jsonl"]

    # A crash after the first row: the results lost the third; the second row is fixed.
    with open(os.path.join(output, "results.jsonl"), "w") as file:
        file.write(json.dumps(rows[1]) + "\n" + '{"row": 3, "err')
    write_table(table, [{"iterations": 2, "size": 32, "seed": 1},
                        {"iterations": 2, "size": 16, "seed": 2},
                        {"iterations": 1, "size": 48, "seed": 3}])
    stamp = os.stat(os.path.join(output, "1", "image.png")).st_mtime_ns
    code, stderr = finish(batch(table, output, "--jobs", "1"))
    again = results(output)
    assert (code, again[0], sorted(row["row"] for row in again)) == (0, rows[1], [1, 2, 3]), stderr
    assert os.stat(os.path.join(output, "1", "image.png")).st_mtime_ns == stamp
    assert not [name for name in os.listdir(output) if name.startswith(".")]


def test_a_wrong_table_stops_before_any_row(work):
    table = os.path.join(work, "table.jsonl")
    with open(table, "w") as file:
        file.write('{"size": 32}\n{"sizes": 32}\n')
    code, stderr = finish(batch(table, os.path.join(work, "out"), "--jobs", "1"))
    assert code == 2 and not os.path.exists(os.path.join(work, "out"))
    assert "column sizes: the project has no attribute or input of that name" in stderr


def test_a_worker_killed_mid_batch_loses_no_row(work):
    from distributed import Client, LocalCluster

    table, output, count = os.path.join(work, "table.csv"), os.path.join(work, "out"), 10
    write_table(table, [{"iterations": 8, "size": 320, "seed": seed} for seed in range(count)])
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                      dashboard_address=None, local_directory=os.path.join(work, "dask")) \
            as cluster, \
            Client(cluster, timeout=TIMEOUT) as client:
        pids = list(client.run(os.getpid).values())
        process = batch(table, output, "--scheduler", cluster.scheduler_address)
        # Killed once the first row is in: the others are queued or running on both workers.
        first_row, deadline = os.path.join(output, "results.jsonl"), time.monotonic() + TIMEOUT
        while not (os.path.exists(first_row) and os.path.getsize(first_row)) and \
                time.monotonic() < deadline:
            time.sleep(0.05)
        os.kill(pids[0], signal.SIGKILL)
        code, stderr = finish(process)
    rows = results(output)
    assert code == 0, (stderr, [row for row in rows if row["error"] or row["states"]])
    assert sorted(row["row"] for row in rows if row["error"] is None) == list(range(1, count + 1))
