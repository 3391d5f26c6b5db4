#include "python/PythonValues.h"

#include <pybind11/numpy.h>

#include <cstring>
#include <vector>

#include "programs/quillmar/ValueFormat.h"

namespace py = pybind11;

namespace {

py::object ToArray(const RunOutput::Pixels& pixels) {
    if (!pixels.m_present) {
        return py::none();
    }
    py::array_t<float> array(
        {size_t(pixels.m_height), size_t(pixels.m_width), size_t(Image::kChannels)});
    std::memcpy(array.mutable_data(), pixels.m_data.data(), pixels.m_data.size() * sizeof(float));
    return array;
}

py::tuple ToTuple(const double* values, size_t count) {
    py::tuple tuple(count);
    for (size_t index = 0; index < count; ++index) {
        tuple[index] = py::float_(values[index]);
    }
    return tuple;
}

}  // namespace

bool PythonValues::IsArray(const py::handle& value) {
    return py::isinstance<py::array>(value);
}

std::string PythonValues::ToText(const std::string& option, const std::string& name,
                                 const py::handle& value) {
    // bool before numbers: Python's bool is an int.
    if (py::isinstance<py::bool_>(value)) {
        return value.cast<bool>() ? "true" : "false";
    }
    if (py::isinstance<py::str>(value)) {
        return value.cast<std::string>();
    }
    if (py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value)) {
        return ValueFormat::Number(value.cast<double>());
    }
    if (py::isinstance<py::tuple>(value) || py::isinstance<py::list>(value)) {
        std::vector<double> numbers;
        for (const py::handle item : value) {
            if (py::isinstance<py::bool_>(item) ||
                !(py::isinstance<py::int_>(item) || py::isinstance<py::float_>(item))) {
                throw py::value_error(option + " " + name + ": " + std::string(py::repr(value)) +
                                      " is not a tuple of numbers");
            }
            numbers.push_back(item.cast<double>());
        }
        return ValueFormat::Numbers(numbers.data(), int(numbers.size()));
    }
    throw py::value_error(option + " " + name + ": a " +
                          std::string(py::str(value.get_type().attr("__name__"))) +
                          " is not a value the project takes");
}

RefPtr<Image> PythonValues::ToImage(const std::string& name, const py::handle& value) {
    const auto array = py::array_t<float, py::array::c_style | py::array::forcecast>::ensure(value);
    if (!array || array.ndim() != 3 || array.shape(2) != Image::kChannels || array.shape(0) < 1 ||
        array.shape(1) < 1) {
        throw py::value_error("--input " + name +
                              ": images are float arrays of shape (height, width, 4)");
    }
    RefPtr<Image> image(
        new Image(uint32_t(array.shape(1)), uint32_t(array.shape(0)), 2, Image::Uninitialised()));
    std::memcpy(image->GetData(), array.data(), image->GetNumFloats() * sizeof(float));
    return image;
}

py::object PythonValues::ToPython(const RunOutput& output) {
    switch (output.m_type) {
        case Node::Value::Boolean:
            return py::bool_(output.m_boolean);
        case Node::Value::Number:
            return py::float_(output.m_numbers[0]);
        case Node::Value::Point:
            return ToTuple(output.m_numbers.data(), 2);
        case Node::Value::Frame:
        case Node::Value::Rgbo:
            return ToTuple(output.m_numbers.data(), 4);
        case Node::Value::String:
            return py::str(output.m_text);
        case Node::Value::Image:
            return ToArray(output.m_image);
        case Node::Value::Material: {
            py::dict images;
            for (const auto& [name, pixels] : output.m_material) {
                images[py::str(name)] = ToArray(pixels);
            }
            return images;
        }
        case Node::Value::Curve: {
            py::list splines;
            for (const std::vector<Point>& points : output.m_curves) {
                py::list spline;
                for (const Point& point : points) {
                    spline.append(py::make_tuple(point.x, point.y));
                }
                splines.append(spline);
            }
            return splines;
        }
        default:
            return py::none();
    }
}
