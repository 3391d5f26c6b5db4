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
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image


class Failure(Exception):
    pass


def read_png(path):
    """The pixels as an array of (height, width, 4) 8-bit RGBA values, as integers."""
    with Image.open(path) as image:
        if image.format != "PNG":
            raise Failure(f"{path} is not a PNG file")
        return np.asarray(image.convert("RGBA"), dtype=np.int64)


def quillmar(program, args):
    result = subprocess.run([program] + args, capture_output=True, text=True)
    return result.returncode, result.stdout, result.stderr


def same_value(expected, actual):
    if isinstance(expected, list):
        return (isinstance(actual, list) and len(actual) == len(expected) and
                all(same_value(e, a) for e, a in zip(expected, actual)))
    if isinstance(expected, (int, float)) and not isinstance(expected, bool):
        return isinstance(actual, (int, float)) and abs(actual - expected) <= 1e-9 * max(
            1.0, abs(expected))
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


def output_files(outputs):
    """Written image files by output name, and by "output/image" for materials."""
    files = {}
    for output in outputs:
        value = output.get("value")
        if output.get("type") == "image" and value:
            files[output["name"]] = value["file"]
        elif output.get("type") == "material" and value:
            files.update({output["name"] + "/" + key: file for key, file in value.items() if file})
    return files


def check_image(where, checks, pixels, images):
    expect_keys(f"image {where}", checks, {"width", "height", "pixels", "tolerance", "min", "max",
                                           "mean", "mean_tolerance", "combination"})
    height, width = pixels.shape[:2]
    for key, size in (("width", width), ("height", height)):
        if key in checks and checks[key] != size:
            raise Failure(f"image {where}: {key} {size}, expected {checks[key]}")
    if "pixels" in checks:
        expected = np.array(checks["pixels"])
        if expected.shape != pixels.shape or np.abs(expected - pixels).max() > checks.get(
                "tolerance", 1):
            raise Failure(f"image {where}: pixels {pixels.tolist()}, expected {checks['pixels']}")
    channels = pixels.reshape(-1, 4)
    for c in range(4):
        low, high = channels[:, c].min(), channels[:, c].max()
        if "min" in checks and low < checks["min"][c]:
            raise Failure(f"image {where}: channel {c} reaches {low}, below {checks['min'][c]}")
        if "max" in checks and high > checks["max"][c]:
            raise Failure(f"image {where}: channel {c} reaches {high}, above {checks['max'][c]}")
        mean = channels[:, c].mean()
        if "mean" in checks and abs(mean - checks["mean"][c]) > checks["mean_tolerance"]:
            raise Failure(f"image {where}: channel {c} mean {mean:.2f}, expected "
                          f"{checks['mean'][c]} +- {checks['mean_tolerance']}")
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


def expect_keys(what, entry, known):
    """A misspelt key would make a check that never runs."""
    unknown = set(entry) - known - {"why"}
    if unknown:
        raise Failure(f"{what}: unknown keys {sorted(unknown)} in the expected file")


def run_example(program, examples, expected, work):
    project = os.path.join(examples, expected["project"])
    code, out, err = quillmar(program, ["info", project, "--json"])
    if code != 0:
        raise Failure(f"info exited {code}: {err}")
    info = json.loads(out)
    for part in ("inputs", "outputs", "attributes"):
        compare_entries(f"info {part}", expected["info"][part], info.get(part))

    for name, spec in expected.get("images", {}).items():
        pixels = np.array(spec["pixels"], dtype=np.uint8).reshape(spec["height"], spec["width"], 4)
        Image.fromarray(pixels, "RGBA").save(os.path.join(work, name))

    images = {}
    for run_name, run in expected["runs"].items():
        expect_keys(f"run {run_name}", run,
                    {"project", "alone", "args", "exit", "outputs", "checks"})
        folder = os.path.join(work, run_name)
        run_project = os.path.join(examples, run.get("project", expected["project"]))
        if run.get("alone"):
            os.makedirs(folder)
            copy = os.path.join(folder, os.path.basename(run_project))
            shutil.copyfile(run_project, copy)
            run_project = copy
        args = [arg.replace("{work}", work) for arg in run.get("args", [])]
        code, out, err = quillmar(program, ["run", run_project, "--json", "-o", folder] + args)
        if code != run.get("exit", 0):
            raise Failure(f"run {run_name} exited {code}, expected {run.get('exit', 0)}: {err}")
        result = json.loads(out)
        if result["status"]["code"] != 0:
            raise Failure(f"run {run_name}: the read reported {result['status']}")
        compare_entries(f"run {run_name} output", run["outputs"], result["outputs"])
        for key, file in output_files(result["outputs"]).items():
            images[run_name + ":" + key] = read_png(file)
        for key, checks in run.get("checks", {}).items():
            image = images.get(run_name + ":" + key)
            if image is None:
                raise Failure(f"run {run_name}: no image written for {key}")
            check_image(f"{run_name}:{key}", checks, image, images)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quillmar", required=True, help="the quillmar program")
    parser.add_argument("--examples", required=True, help="folder of the packed examples")
    parser.add_argument("expected", help="the expected file of one example")
    arguments = parser.parse_args()
    with open(arguments.expected) as file:
        expected = json.load(file)
    with tempfile.TemporaryDirectory(prefix="quillmar-example-") as work:
        try:
            run_example(arguments.quillmar, arguments.examples, expected, work)
        except Failure as failure:
            print(f"{os.path.basename(arguments.expected)}: {failure}", file=sys.stderr)
            return 1
    print(f"{os.path.basename(arguments.expected)}: as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
