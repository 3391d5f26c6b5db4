"""Paths into the build tree, which ctest names in QUILLMAR_BUILD."""
import json
import os
import subprocess
import tempfile

import pytest

BUILD = os.environ["QUILLMAR_BUILD"]
QUILLMAR = os.path.join(BUILD, "bin", "quillmar")


def example(name):
    return os.path.join(BUILD, "examples", name + ".qmr")


def quillmar_run(project, settings=(), inputs=(), folder=None):
    """`quillmar run --json`: (exit code, parsed output or None, standard error)."""
    command = [QUILLMAR, "run", project, "--json"]
    command += [f"--set={name}={value}" for name, value in settings]
    command += [f"--input={name}={value}" for name, value in inputs]
    if folder:
        command += ["-o", folder]
    done = subprocess.run(command, capture_output=True, text=True, timeout=60)
    return done.returncode, json.loads(done.stdout) if done.stdout else None, done.stderr


@pytest.fixture
def work():
    """A folder removed after the test."""
    with tempfile.TemporaryDirectory(prefix="quillmar-test-") as folder:
        yield folder
