"""One batch row as a task: what travels to a worker, and what comes back.

A task gets the project file's and the input images' bytes, so that workers need no shared file
system, and returns the written images' bytes with the values. It writes nothing outside its own
temporary folder, so running it twice (as Dask does when a worker dies) changes nothing.
"""
import hashlib
import os
import tempfile
import time

import quillmar

def temporary_root():
    """The Dask worker's own folder when running in one, so that the folders of a worker killed
    mid-row go with the worker's; None (the system's) elsewhere."""
    try:
        from distributed import get_worker
        return get_worker().local_directory
    except ValueError:  # not in a worker
        return None


# Projects read in this process, by the digest of their file's bytes.
_projects = {}


def project_from_bytes(name, data):
    """A Project read from the file's bytes, read once per process."""
    digest = hashlib.sha256(data).hexdigest()
    if digest not in _projects:
        # The node reads everything from the file at once (packed projects included), so the
        # file may go away afterwards.
        with tempfile.TemporaryDirectory(prefix="quillmar-project-",
                                         dir=temporary_root()) as folder:
            path = os.path.join(folder, os.path.basename(name))
            with open(path, "wb") as file:
                file.write(data)
            _projects[digest] = quillmar.Project(path)
    return _projects[digest]


def json_value(value):
    """The output value as JSON: lists for tuples, None for an image that has no pixels."""
    if hasattr(value, "shape"):
        return None
    if isinstance(value, tuple):
        return list(value)
    if isinstance(value, list):
        return [[list(point) for point in spline] for spline in value]
    return value


def run_row(project_name, project_data, attributes, inputs, images, image_format):
    """Runs one row. `inputs` are values; `images` maps input names to (file name, bytes).

    Returns a dict with "status", "values" (JSON values of the outputs that are not images),
    "images" (output name -> file name, or image name -> file name for materials), "files" (file
    name -> bytes, named as `quillmar run -o` names them), "states", "seconds" and "error" (None
    unless the row failed).
    """
    start = time.monotonic()
    result = {"status": None, "values": {}, "images": {}, "files": {}, "states": [],
              "error": None}
    with tempfile.TemporaryDirectory(prefix="quillmar-row-", dir=temporary_root()) as work:
        try:
            project = project_from_bytes(project_name, project_data)
            all_inputs = dict(inputs)
            for name, (file_name, data) in images.items():
                path = os.path.join(work, f"{name.replace(os.sep, '_')}-{os.path.basename(file_name)}")
                with open(path, "wb") as file:
                    file.write(data)
                all_inputs[name] = path
            output = os.path.join(work, "out")
            run = project.run(attributes=attributes, inputs=all_inputs, output=output,
                              format=image_format)
        except (ValueError, OSError, quillmar.ProjectError) as error:
            result["error"] = str(error)
        else:
            written = run["files"]
            for name, value in run["outputs"].items():
                files = written.get(name)
                if isinstance(files, dict):
                    result["images"][name] = {image: path and os.path.relpath(path, output)
                                              for image, path in files.items()}
                elif files is not None:
                    result["images"][name] = os.path.relpath(files, output)
                else:
                    result["values"][name] = json_value(value)
            for root, _, names in os.walk(output):
                for file_name in names:
                    path = os.path.join(root, file_name)
                    with open(path, "rb") as file:
                        result["files"][os.path.relpath(path, output)] = file.read()
            result["status"] = run["status"]
            result["states"] = run["states"]
    result["seconds"] = time.monotonic() - start
    return result
