import json
import os
import subprocess

import numpy as np
import pytest
from PIL import Image

import quillmar
from conftest import QUILLMAR, example, quillmar_run

# (example, attributes, inputs): read and run through the module and through `quillmar`.
RUNS = [
    ("octaves", {"iterations": 3, "size": 64, "seed": 7, "dark": (0.1, 0.2, 0.3, 1)}, {}),
    ("material", {"size": 32, "roughness": 0.6}, {}),
    ("frames", {"iterations": 4, "step": 10}, {"total": 10, "growth": 1.5}),
    ("nested", {"seed": 5}, {}),
    ("feedback", {"width": 16, "height": 8, "iterations": 2}, {}),
]


def files(folder):
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


def command_text(value):
    return ",".join(map(str, value)) if isinstance(value, tuple) else str(value)


@pytest.mark.parametrize("name,attributes,inputs", RUNS, ids=[run[0] for run in RUNS])
def test_info_and_run_match_the_command(name, attributes, inputs, work):
    code, expected, _ = quillmar_run(example(name),
                                     [(k, command_text(v)) for k, v in attributes.items()],
                                     [(k, command_text(v)) for k, v in inputs.items()],
                                     os.path.join(work, "command"))
    project = quillmar.Project(example(name))
    info = json.loads(subprocess.run([QUILLMAR, "info", example(name), "--json"],
                                     capture_output=True, text=True, timeout=60).stdout)
    assert (project.inputs, project.outputs, project.attributes) == \
        (info["inputs"], info["outputs"], info["attributes"])
    result = project.run(attributes=attributes, inputs=inputs, output=os.path.join(work, "module"))

    assert (result["status"], result["states"], list(result["outputs"])) == \
        (expected["status"], expected["states"], [output["name"] for output in expected["outputs"]])
    for output in expected["outputs"]:
        value = result["outputs"][output["name"]]
        if output["type"] == "image":
            images = {"": (value, output["value"]["file"])}
        elif output["type"] == "material":
            images = {key: (value[key], file) for key, file in output["value"].items()}
        else:
            assert value == pytest.approx(output["value"]), output["name"]
            continue
        for key, (array, file) in images.items():
            written = np.asarray(Image.open(file).convert("RGBA"), dtype=np.float32) / 255
            assert array.dtype == np.float32 and array.shape == written.shape
            # PNG keeps 8 bits of the clamped value.
            assert np.abs(np.clip(array, 0, 1) - written).max() <= 0.5 / 255 + 1e-6, key
    # The same file names as `quillmar run -o`.
    assert files(os.path.join(work, "module")) == files(os.path.join(work, "command"))
    assert code == (1 if expected["states"] else 0)


# Each refused value gives the message `quillmar run` gives for the same setting.
@pytest.mark.parametrize("kind,name,value", [
    ("attributes", "colour", 1), ("attributes", "size", 99999), ("attributes", "dark", (1, 2)),
    ("attributes", "seed", "many"), (None, "iterations", 0), ("inputs", "total", 1)])
def test_refused_values_give_the_command_message(kind, name, value):
    setting = [(name, command_text(value))]
    code, _, stderr = quillmar_run(example("octaves"), *((setting, []) if kind != "inputs" else
                                                         ([], setting)))
    assert code == 2
    with pytest.raises(ValueError) as raised:
        quillmar.Project(example("octaves")).run(**({kind: {name: value}} if kind else
                                                    {name: value}))
    assert "quillmar run: " + str(raised.value) == stderr.strip()


def test_image_arrays_go_in_and_come_out_unchanged(work):
    # One blur of radius 0 with sharpen 1, at the image's own size, passes an opaque image in
    # [0, 1] through.
    project = quillmar.Project(example("feedback"))
    image = np.random.default_rng(1).random((5, 7, 4), dtype=np.float32)
    image[:, :, 3] = 1
    result = project.run(attributes={"radius": 0, "sharpen": 1, "width": 7, "height": 5},
                         inputs={"image": image})
    assert np.array_equal(result["outputs"]["image"], image)
    with pytest.raises(ValueError, match=r"shape \(height, width, 4\)"):
        project.run(inputs={"image": image[:, :, :3]})


def test_refused_read_raises_project_error(work):
    broken = os.path.join(work, "broken.qmr")
    with open(broken, "w") as file:
        file.write("not a project")
    _, _, stderr = quillmar_run(broken)
    folder = os.getcwd()
    with pytest.raises(quillmar.ProjectError) as raised:
        quillmar.Project(broken)
    # The read's message, then the reason: the command's lines without their prefix.
    assert str(raised.value) == stderr.replace("quillmar run: ", "").strip()
    assert os.getcwd() == folder
