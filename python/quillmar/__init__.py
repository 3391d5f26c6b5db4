"""Runs Quillmar projects as one Node Graph node, from Python.

    import quillmar
    project = quillmar.Project("octaves.qmr")
    result = project.run(iterations=6, attributes={"tint": (1, 0.5, 0.2, 1)}, output="out")
    image = result["outputs"]["image"]          # float32 array, (height, width, 4)

`python3 -m quillmar.batch` runs a table of such runs, locally or on a Dask cluster.
"""
from ._quillmar import Project, ProjectError

__all__ = ["Project", "ProjectError"]
