#!/usr/bin/env python3
"""Runs one packed example project through `quillmar info` and `quillmar run` and compares the
results with its expected file, expected/<example>.json:
  "info"    what `info --json` must list; each entry's listed keys must match, in order.
  "images"  input images to write first, by file name: {"width", "height", "pixels"}.
  "runs"    named runs, in order: "args" after the project file ("{work}" is the test's folder),
            "exit" (default 0), "outputs" (every output in order; listed keys must match), and
            "checks" on written images by output name ("output/image" for a material's image).
            A run may name another example's "project", or run a copy "alone" in its own folder.
Image checks, on 8-bit channel values as written to PNG: "width", "height"; "pixels" row by row as
[r, g, b, a] within "tolerance" (default 1); per-channel "min", "max", "mean" (within
"mean_tolerance"); "combination": each pixel is "offset" plus the weighted sum of the same pixel
of named images of earlier runs, within "tolerance". Any entry may say "why" its value follows.
"""

import argparse
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image

IMAGE_CHECKS = {"width", "height", "pixels", "tolerance", "min", "max", "mean", "mean_tolerance",
                "combination", "why"}
RUN_KEYS = {"project", "alone", "args", "exit", "outputs", "checks", "why"}


class Failure(Exception):
    pass


def read_png(path):
    """The pixels as an array of (height, width, 4) 8-bit RGBA values, as integers."""
    with Image.open(path) as image:
        if image.format != "PNG":
            raise Failure(f"{path} is not a PNG file")
        return np.asarray(image.convert("RGBA"), dtype=np.int64)


def same_value(expected, actual):
    if isinstance(expected, list):
        return (isinstance(actual, list) and len(actual) == len(expected) and
                all(map(same_value, expected, actual)))
    if isinstance(expected, (int, float)) and not isinstance(expected, bool):
        return isinstance(actual, (int, float)) and math.isclose(actual, expected, rel_tol=1e-9,
                                                                 abs_tol=1e-9)
    return expected == actual


def compare_entries(what, expected, actual):
    if not isinstance(actual, list) or len(actual) != len(expected):
        raise Failure(f"{what}: expected {len(expected)} entries, got {json.dumps(actual)}")
    for want, got in zip(expected, actual):
        for key, value in want.items():
            if key != "why" and not same_value(value, got.get(key)):
                raise Failure(f"{what} {want.get('name')}: {key} is {json.dumps(got.get(key))}, "
                              f"expected {json.dumps(value)}" +
                              (f" ({want['why']})" if "why" in want else ""))


def check_image(where, checks, pixels, images):
    # A misspelt key would make a check that never runs.
    if set(checks) - IMAGE_CHECKS:
        raise Failure(f"image {where}: unknown keys {sorted(set(checks) - IMAGE_CHECKS)}")
    channels = pixels.reshape(-1, 4)
    found = {"width": pixels.shape[1], "height": pixels.shape[0], "pixels": pixels,
             "min": channels.min(0).tolist(), "max": channels.max(0).tolist(),
             "mean": channels.mean(0).round(2).tolist()}
    expected_pixels = np.array(checks.get("pixels", pixels))
    failed = {
        "width": checks.get("width", found["width"]) != found["width"],
        "height": checks.get("height", found["height"]) != found["height"],
        "pixels": expected_pixels.shape != pixels.shape or
        np.abs(expected_pixels - pixels).max() > checks.get("tolerance", 1),
        "min": np.any(channels.min(0) < checks.get("min", 0)),
        "max": np.any(channels.max(0) > checks.get("max", 255)),
        "mean": "mean" in checks and
        np.any(np.abs(channels.mean(0) - checks["mean"]) > checks["mean_tolerance"]),
    }
    bad = [key for key, failing in failed.items() if failing]
    if bad:
        raise Failure(f"image {where}: {bad[0]} {np.asarray(found[bad[0]]).tolist()}, expected "
                      f"{checks[bad[0]]}")
    if "combination" in checks:
        combination = checks["combination"]
        total = np.array(combination["offset"], dtype=np.float64) + np.zeros(pixels.shape)
        for name, weight in combination["terms"]:
            term = images.get(name)
            if term is None or term.shape != pixels.shape:
                raise Failure(f"image {where}: {name} is missing or has another size")
            total += weight * term
        worst = np.abs(total - pixels).max()
        if worst > combination["tolerance"]:
            raise Failure(f"image {where}: differs from the combination of "
                          f"{[name for name, _ in combination['terms']]} by up to {worst:.2f}")


def run_example(program, examples, expected, work):
    info = subprocess.run([program, "info", os.path.join(examples, expected["project"]), "--json"],
                          capture_output=True, text=True)
    if info.returncode != 0:
        raise Failure(f"info exited {info.returncode}: {info.stderr}")
    for part in ("inputs", "outputs", "attributes"):
        compare_entries(f"info {part}", expected["info"][part], json.loads(info.stdout).get(part))

    for name, spec in expected.get("images", {}).items():
        pixels = np.array(spec["pixels"], dtype=np.uint8).reshape(spec["height"], spec["width"], 4)
        Image.fromarray(pixels, "RGBA").save(os.path.join(work, name))

    images = {}
    for run_name, run in expected["runs"].items():
        if set(run) - RUN_KEYS:
            raise Failure(f"run {run_name}: unknown keys {sorted(set(run) - RUN_KEYS)}")
        folder = os.path.join(work, run_name)
        project = os.path.join(examples, run.get("project", expected["project"]))
        if run.get("alone"):
            os.makedirs(folder)
            project = shutil.copy(project, folder)
        args = [arg.replace("{work}", work) for arg in run.get("args", [])]
        done = subprocess.run([program, "run", project, "--json", "-o", folder] + args,
                              capture_output=True, text=True)
        if done.returncode != run.get("exit", 0):
            raise Failure(f"run {run_name} exited {done.returncode}, expected "
                          f"{run.get('exit', 0)}: {done.stderr}")
        result = json.loads(done.stdout)
        if result["status"]["code"] != 0:
            raise Failure(f"run {run_name}: the read reported {result['status']}")
        compare_entries(f"run {run_name} output", run["outputs"], result["outputs"])
        # Written images by output name, and by "output/image" for a material's images.
        for output in result["outputs"]:
            value = output.get("value") or {}
            files = {"": value["file"]} if output["type"] == "image" and value else \
                value if output["type"] == "material" else {}
            for key, file in files.items():
                if file:
                    images[f"{run_name}:{output['name']}" + (key and "/" + key)] = read_png(file)
        for key, checks in run.get("checks", {}).items():
            if run_name + ":" + key not in images:
                raise Failure(f"run {run_name}: no image written for {key}")
            check_image(f"{run_name}:{key}", checks, images[run_name + ":" + key], images)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quillmar", required=True, help="the quillmar program")
    parser.add_argument("--examples", required=True, help="folder of the packed examples")
    parser.add_argument("expected", help="the expected file of one example")
    arguments = parser.parse_args()
    with open(arguments.expected) as file:
        expected = json.load(file)
    name = os.path.basename(arguments.expected)
    with tempfile.TemporaryDirectory(prefix="quillmar-example-") as work:
        try:
            run_example(arguments.quillmar, arguments.examples, expected, work)
        except Failure as failure:
            sys.exit(f"{name}: {failure}")
    print(f"{name}: as expected")


if __name__ == "__main__":
    main()
