"""Runs a project once per row of a table, on a local Dask cluster or an existing one.

    python3 -m quillmar.batch PROJECT.qmr TABLE -o DIR [--jobs N] [--scheduler ADDRESS]

TABLE is CSV or JSON lines (.jsonl, .ndjson), one run per row. A column names `iterations`, an
attribute or an input of the project (`set:NAME` and `input:NAME` when a name is both); an empty
CSV cell keeps the project's value. Image inputs are file paths, relative to the table's folder.
Row N's images go to DIR/N/, named as `quillmar run -o` names them, and DIR/results.jsonl gets one
line per row. Rows already in the results without an error are skipped, so running the same
command again after a crash finishes the batch. Exit code 0 when every row ran without error
states, 1 when some row failed or reported one, 2 for a wrong command line, table or project.
"""
import argparse
import csv
import json
import os
import shutil
import sys
import tempfile

import quillmar

RESULTS = "results.jsonl"


class BatchError(Exception):
    """A command line, table or project the batch cannot start with."""


def read_table(path):
    """The table's rows as dicts, in order."""
    try:
        with open(path, newline="", encoding="utf-8") as file:
            if path.endswith((".jsonl", ".ndjson")):
                rows = []
                for number, line in enumerate(file, 1):
                    if not line.strip():
                        continue
                    try:
                        row = json.loads(line)
                    except ValueError as error:
                        raise BatchError(f"{path}:{number}: not JSON: {error}") from None
                    if not isinstance(row, dict):
                        raise BatchError(f"{path}:{number}: a row is a JSON object")
                    rows.append(row)
                return rows
            reader = csv.DictReader(file)
            rows = [{name: value for name, value in row.items() if value not in ("", None)}
                    for row in reader]
            if None in (reader.fieldnames or []) or any(None in row for row in rows):
                raise BatchError(f"{path}: a row has more cells than the header")
            return rows
    except (OSError, UnicodeDecodeError, csv.Error) as error:
        raise BatchError(f"cannot read the table {path}: {error}") from None


class Columns:
    """Sorts a row's columns into iterations, attributes and inputs as the project names them."""

    def __init__(self, project):
        self.attributes = {a["name"] for a in project.attributes} | {"iterations"}
        self.inputs = {i["name"]: i["type"] for i in project.inputs}

    def split(self, row):
        attributes, inputs = {}, {}
        for column, value in row.items():
            kind, _, name = column.partition(":")
            if not name:
                kind, name = None, column
            if kind == "set" or (kind is None and name in self.attributes):
                if name not in self.attributes:
                    raise BatchError(f"column {column}: the project has no attribute {name}")
                attributes[name] = value
            elif kind == "input" or (kind is None and name in self.inputs):
                if name not in self.inputs:
                    raise BatchError(f"column {column}: the project has no input {name}")
                inputs[name] = value
            else:
                raise BatchError(
                    f"column {column}: the project has no attribute or input of that name; its "
                    f"attributes are {', '.join(sorted(self.attributes))}; its inputs are "
                    f"{', '.join(sorted(self.inputs)) or 'none'}")
        return attributes, inputs


def read_images(inputs, image_inputs, folder):
    """Moves the image inputs' files into a dict of (file name, bytes)."""
    images = {}
    for name in [name for name in inputs if name in image_inputs]:
        path = os.path.join(folder, str(inputs.pop(name)))
        try:
            with open(path, "rb") as file:
                images[name] = (path, file.read())
        except OSError as error:
            raise ValueError(f"--input {name}: cannot read the image {path}: "
                             f"{error.strerror}") from None
    return images


def done_rows(path):
    """The results of the rows that finished without an error, by row number."""
    done = {}
    try:
        with open(path, encoding="utf-8") as file:
            for line in file:
                try:
                    result = json.loads(line)
                except ValueError:
                    continue  # the line a crash cut short
                if isinstance(result, dict) and result.get("error") is None:
                    done[result.get("row")] = result
    except FileNotFoundError:
        pass
    return done


def write_atomically(path, text):
    folder = os.path.dirname(path)
    with tempfile.NamedTemporaryFile("w", dir=folder, prefix=".results-", delete=False,
                                     encoding="utf-8") as file:
        file.write(text)
    os.replace(file.name, path)


def store_outputs(directory, number, files):
    """Writes the row's files into DIR/<number>, replacing a folder left by an earlier try."""
    final = os.path.join(directory, str(number))
    staging = tempfile.mkdtemp(prefix=f".{number}-", dir=directory)
    try:
        for name, data in files.items():
            with open(os.path.join(staging, name), "wb") as file:
                file.write(data)
        if os.path.isdir(final):
            shutil.rmtree(final)
        os.replace(staging, final)
    except BaseException:
        shutil.rmtree(staging, ignore_errors=True)
        raise
    return final


def parse_arguments(argv):
    parser = argparse.ArgumentParser(prog="python3 -m quillmar.batch",
                                     description=__doc__.splitlines()[0])
    parser.add_argument("project", metavar="PROJECT.qmr")
    parser.add_argument("table", metavar="TABLE", help="CSV or JSON lines, one run per row")
    parser.add_argument("-o", "--output", required=True, metavar="DIR",
                        help="folder for the rows' images and results.jsonl")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1, metavar="N",
                        help="worker processes of the local cluster (default: the cores)")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="run on an existing Dask cluster, e.g. tcp://host:8786")
    parser.add_argument("--format", default="png", choices=["png", "exr", "tif"])
    parser.add_argument("--timeout", type=float, metavar="SECONDS",
                        help="give up when no row finishes for this long")
    args = parser.parse_args(argv)
    if args.jobs < 1:
        parser.error("--jobs takes a number of 1 or more")
    return args


def prepare(args):
    """The project's bytes and each row to run: (number, parameters, attributes, inputs, images)
    or (number, parameters, error)."""
    try:
        project = quillmar.Project(args.project)
        with open(args.project, "rb") as file:
            project_data = file.read()
    except (quillmar.ProjectError, OSError) as error:
        raise BatchError(str(error)) from None
    columns = Columns(project)
    image_inputs = {name for name, kind in columns.inputs.items() if kind == "image"}
    folder = os.path.dirname(os.path.abspath(args.table))
    rows = []
    for number, row in enumerate(read_table(args.table), 1):
        attributes, inputs = columns.split(row)
        try:
            images = read_images(inputs, image_inputs, folder)
        except ValueError as error:
            rows.append((number, row, str(error)))
            continue
        rows.append((number, row, attributes, inputs, images))
    return project_data, rows


def start_client(args, folder):
    """A client of the scheduler, or of a local cluster working in `folder` (then also returned)."""
    from distributed import Client, LocalCluster

    if args.scheduler:
        try:
            return Client(args.scheduler, timeout=args.timeout or 30), None
        except OSError as error:
            raise BatchError(f"cannot reach the scheduler {args.scheduler}: {error}") from None
    cluster = LocalCluster(n_workers=args.jobs, threads_per_worker=1, processes=True,
                           host="127.0.0.1", dashboard_address=None, local_directory=folder)
    return Client(cluster), cluster


def failure(error):
    """The result of a row that did not run."""
    return {"status": None, "values": {}, "images": {}, "files": {}, "states": [],
            "error": error, "seconds": 0.0}


def run(args):
    project_data, rows = prepare(args)
    os.makedirs(args.output, exist_ok=True)
    results_path = os.path.join(args.output, RESULTS)
    earlier = done_rows(results_path)
    done = {row[0]: earlier[row[0]] for row in rows
            if row[0] in earlier and earlier[row[0]]["parameters"] == row[1]}
    # Keep only the rows finished with the same parameters: the others run again and get a
    # fresh line.
    write_atomically(results_path, "".join(json.dumps(done[number]) + "\n"
                                           for number in sorted(done)))
    todo = [row for row in rows if row[0] not in done]
    failed = sum(1 for result in done.values() if result.get("states"))
    if todo:
        with tempfile.TemporaryDirectory(prefix="quillmar-dask-") as folder:
            client, cluster = start_client(args, folder)
            try:
                with open(results_path, "a", encoding="utf-8") as results:
                    failed += run_rows(args, client, project_data, todo, results)
            finally:
                client.close()
                if cluster:
                    cluster.close()
    return 1 if failed else 0


def run_rows(args, client, project_data, todo, results):
    """Runs the rows as Dask tasks, recording each as it finishes; returns how many failed."""
    from concurrent.futures import CancelledError

    from distributed import wait

    from quillmar.rows import run_row

    failed = 0
    progress = None
    if sys.stderr.isatty():
        from tqdm import tqdm
        progress = tqdm(total=len(todo), unit="row", file=sys.stderr)
    try:
        futures = {}
        for row in todo:
            if len(row) == 3:
                failed += record(args, results, row[0], row[1], failure(row[2]), progress)
                continue
            number, parameters, attributes, inputs, images = row
            # The project's bytes go with every task rather than scattered once: a task then
            # still runs when the worker that held scattered data has died.
            future = client.submit(run_row, os.path.basename(args.project), project_data,
                                   attributes, inputs, images, args.format, pure=False)
            futures[future] = (number, parameters)
        pending = set(futures)
        while pending:
            try:
                finished, pending = wait(pending, timeout=args.timeout,
                                         return_when="FIRST_COMPLETED")
            except CancelledError:
                finished = {future for future in pending if future.cancelled()}
                pending -= finished
            for future in finished:
                number, parameters = futures[future]
                if future.cancelled():
                    result = failure("the cluster cancelled the row's task")
                else:
                    try:
                        result = future.result()
                    except Exception as error:  # recorded as the row's failure
                        result = failure(f"{type(error).__name__}: {error}")
                failed += record(args, results, number, parameters, result, progress)
    finally:
        if progress:
            progress.close()
    return failed


def record(args, results, number, parameters, result, progress):
    """Stores one finished row; returns 1 when it failed or reported error states."""
    files = {}
    if result["files"]:
        folder = store_outputs(args.output, number, result["files"])
        files = {name: os.path.join(os.path.relpath(folder, args.output), name)
                 for name in result["files"]}
    line = {"row": number, "parameters": parameters, "status": result["status"],
            "values": {**result["values"], **in_folder(result["images"], str(number))},
            "files": sorted(files.values()),
            "states": result["states"], "seconds": round(result["seconds"], 6),
            "error": result["error"]}
    results.write(json.dumps(line) + "\n")
    results.flush()
    os.fsync(results.fileno())
    if progress:
        progress.update()
    if result["error"]:
        print(f"row {number}: {result['error']}", file=sys.stderr)
    return 1 if result["error"] or result["states"] else 0


def in_folder(images, folder):
    """The image outputs' file names as paths relative to DIR."""
    def path(file):
        return file and os.path.join(folder, file)

    return {name: {image: path(file) for image, file in files.items()}
            if isinstance(files, dict) else path(files) for name, files in images.items()}


def main(argv=None):
    args = parse_arguments(argv)
    try:
        return run(args)
    except BatchError as error:
        print(f"quillmar.batch: {error}", file=sys.stderr)
        return 2
    except TimeoutError:
        print(f"quillmar.batch: no row finished within {args.timeout} seconds; run the same "
              "command again to go on", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main())
