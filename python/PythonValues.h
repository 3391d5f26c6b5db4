#pragma once

#include <string>

#include <pybind11/pybind11.h>

#include "host/Image.h"
#include "host/RefPtr.h"
#include "python/RunOutput.h"

// Conversions between Python values and the forms the command line and the node use. Call with
// the GIL held.
class PythonValues {
public:
    // The text `quillmar run` takes for the value: numbers, tuples or lists of numbers, booleans
    // and strings. Raises ValueError for other objects.
    static std::string ToText(const std::string& option, const std::string& name,
                              const pybind11::handle& value);
    // A float array of shape (height, width, 4) as an image. Raises ValueError for other shapes.
    static RefPtr<Image> ToImage(const std::string& name, const pybind11::handle& value);
    // The output as Python: float, tuple, bool, str, a float32 array of shape (height, width, 4)
    // or None, a dict of such arrays for materials, a list of lists of (x, y) for curves.
    static pybind11::object ToPython(const RunOutput& output);
    // Whether ToImage is the conversion for the value.
    static bool IsArray(const pybind11::handle& value);
};
