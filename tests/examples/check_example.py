#!/usr/bin/env python3
"""Runs one packed example project through `quillmar info` and `quillmar run` and compares the
results with the expected file tests/examples/expected/<example>.json.

The expected file holds:
  "info":   what `info --json` must list; each entry's listed keys must match, in order.
  "images": input images to write first, by file name: {"width", "height", "pixels"}, pixels
            given row by row as [r, g, b, a] in 0..255.
  "runs":   named runs, in order. Each gives "args" after the project file ("{work}" stands for
            the test's folder), "exit" (default 0), "outputs" (every output in order: name, type,
            and for numbers, points and frames the value) and "checks" on written images, keyed by
            output name, or "output/image" for an image of a material output. A run may name
            another example's "project", or run a copy of the project file "alone" in a folder
            of its own.

Image checks work on 8-bit channel values, as written to PNG (0 to 255):
  "width", "height"          the size
  "pixels"                   every pixel, row by row, within "tolerance" (default 1)
  "min", "max"               per-channel bounds that every pixel keeps
  "mean", "mean_tolerance"   the per-channel mean
  "combination"              each pixel is the sum of weight x the same pixel of the named
                             images of earlier runs, plus "offset", within "tolerance"
Each expected entry may say "why": how its value follows from the project's nodes.
"""

import argparse
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib


class Failure(Exception):
    pass


def read_png(path):
    """(width, height, rows of RGBA 8-bit pixels) of a non-interlaced 8-bit PNG."""
    with open(path, "rb") as file:
        data = file.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure(f"{path} is not a PNG file")
    position = 8
    header = None
    compressed = b""
    while position < len(data):
        (length,) = struct.unpack(">I", data[position:position + 4])
        kind = data[position + 4:position + 8]
        body = data[position + 8:position + 8 + length]
        position += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
        elif kind == b"IEND":
            break
    if header is None:
        raise Failure(f"{path} has no PNG header")
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace != 0:
        raise Failure(f"{path}: only 8-bit non-interlaced grey or RGB(A) PNG files are read")
    raw = zlib.decompress(compressed)
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        line = bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                estimate = left + up - corner
                distances = (abs(estimate - left), abs(estimate - up), abs(estimate - corner))
                best = (left, up, corner)[distances.index(min(distances))]
                line[i] = (line[i] + best) & 255
            elif kind != 0:
                raise Failure(f"{path}: unknown PNG filter {kind}")
        previous = line
        pixels = []
        for x in range(width):
            values = list(line[x * channels:(x + 1) * channels])
            if channels <= 2:
                values = [values[0]] * 3 + values[1:]
            if len(values) == 3:
                values.append(255)
            pixels.append(values)
        rows.append(pixels)
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + bytes(value for pixel in row for value in pixel) for row in rows)
    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n")
        file.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        file.write(chunk(b"IDAT", zlib.compress(raw)))
        file.write(chunk(b"IEND", b""))


def quillmar(program, args):
    result = subprocess.run([program] + args, capture_output=True, text=True)
    return result.returncode, result.stdout, result.stderr


def same_number(expected, actual):
    return isinstance(actual, (int, float)) and abs(actual - expected) <= 1e-9 * max(
        1.0, abs(expected))


def same_value(expected, actual):
    if isinstance(expected, list):
        return (isinstance(actual, list) and len(actual) == len(expected) and
                all(same_value(e, a) for e, a in zip(expected, actual)))
    if isinstance(expected, (int, float)) and not isinstance(expected, bool):
        return same_number(expected, actual)
    return expected == actual


def compare_entries(what, expected, actual):
    if not isinstance(actual, list) or len(actual) != len(expected):
        raise Failure(f"{what}: expected {len(expected)} entries, got {json.dumps(actual)}")
    for want, got in zip(expected, actual):
        for key, value in want.items():
            if key == "why":
                continue
            if not same_value(value, got.get(key)):
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
            for image, file in value.items():
                if file:
                    files[output["name"] + "/" + image] = file
    return files


def check_image(key, checks, image, images):
    width, height, rows = image
    where = f"image {key}"
    expect_keys(where, checks, {"width", "height", "pixels", "tolerance", "min", "max", "mean",
                                "mean_tolerance", "combination"})
    for size_key, size in (("width", width), ("height", height)):
        if size_key in checks and checks[size_key] != size:
            raise Failure(f"{where}: {size_key} {size}, expected {checks[size_key]}")
    pixels = [pixel for row in rows for pixel in row]
    if "pixels" in checks:
        tolerance = checks.get("tolerance", 1)
        expected = [pixel for row in checks["pixels"] for pixel in row]
        if len(expected) != len(pixels) or any(
                abs(e - a) > tolerance for want, got in zip(expected, pixels)
                for e, a in zip(want, got)):
            raise Failure(f"{where}: pixels {rows}, expected {checks['pixels']}")
    for bound, inside in (("min", lambda v, b: v >= b), ("max", lambda v, b: v <= b)):
        if bound in checks:
            for c in range(4):
                extreme = (min if bound == "min" else max)(pixel[c] for pixel in pixels)
                if not inside(extreme, checks[bound][c]):
                    raise Failure(f"{where}: channel {c} reaches {extreme}, beyond the {bound} "
                                  f"{checks[bound][c]}")
    if "mean" in checks:
        for c in range(4):
            mean = sum(pixel[c] for pixel in pixels) / len(pixels)
            if abs(mean - checks["mean"][c]) > checks["mean_tolerance"]:
                raise Failure(f"{where}: channel {c} mean {mean:.2f}, expected "
                              f"{checks['mean'][c]} +- {checks['mean_tolerance']}")
    if "combination" in checks:
        combination = checks["combination"]
        terms = []
        for name, weight in combination["terms"]:
            term = images.get(name)
            if term is None or term[:2] != (width, height):
                raise Failure(f"{where}: {name} is missing or has another size")
            terms.append((term[2], weight))
        worst = max(
            abs(combination["offset"][c] + sum(weight * term[y][x][c] for term, weight in terms) -
                rows[y][x][c]) for y in range(height) for x in range(width) for c in range(4))
        if worst > combination["tolerance"]:
            raise Failure(f"{where}: differs from the combination of "
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
        write_png(os.path.join(work, name), spec["width"], spec["height"], spec["pixels"])

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
