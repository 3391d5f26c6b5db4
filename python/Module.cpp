#include <pybind11/pybind11.h>

#include "python/PythonProject.h"

namespace py = pybind11;

PYBIND11_MODULE(_quillmar, module) {
    module.doc() = "Runs Quillmar projects as one Node Graph node.";
    py::register_exception<ProjectReadError>(module, "ProjectError");

    py::class_<PythonProject>(module, "Project")
        .def(py::init<const std::string&>(), py::arg("path"),
             "Reads the project file; raises ProjectError when the read is refused.")
        .def_property_readonly("path", &PythonProject::GetPath)
        .def_property_readonly("status", &PythonProject::GetStatus,
                               "The read's status: {'code', 'message'}; code 1 when it warned.")
        .def_property_readonly("inputs", &PythonProject::GetInputs,
                               "The inputs as `quillmar info --json` lists them.")
        .def_property_readonly("outputs", &PythonProject::GetOutputs,
                               "The outputs as `quillmar info --json` lists them.")
        .def_property_readonly("attributes", &PythonProject::GetAttributes,
                               "The attributes as `quillmar info --json` lists them.")
        .def("run", &PythonProject::Run, py::kw_only(), py::arg("iterations") = py::none(),
             py::arg("attributes") = py::dict(), py::arg("inputs") = py::dict(),
             py::arg("output") = py::none(), py::arg("format") = "png",
             "Runs the project once and returns {'status', 'outputs', 'states'} like `quillmar "
             "run --json`, with 'files' when `output` names a folder to write images into.\n\n"
             "Attributes and inputs take numbers as float, points, frames and colours as tuples, "
             "booleans and text as bool and str; image inputs a float array of shape (height, "
             "width, 4) or a file path. Image outputs come as float32 arrays of that shape, "
             "materials as a dict of them. Wrong names, types or ranges raise ValueError.");
}
