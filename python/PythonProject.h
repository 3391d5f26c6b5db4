#pragma once

#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "host/Status.h"
#include "programs/quillmar/ProjectNode.h"

// A refused project read, raised in Python as quillmar.ProjectError.
class ProjectReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// quillmar.Project: a project file read into a Node Graph node of the process's document, run with
// the settings and inputs of each call. The engine is not thread-safe, so everything that touches
// it holds one process-wide lock, taken with the GIL released so that other Python threads go on.
class PythonProject {
public:
    explicit PythonProject(const std::string& path);
    ~PythonProject();
    PythonProject(const PythonProject&) = delete;
    PythonProject& operator=(const PythonProject&) = delete;

    const std::string& GetPath() const { return m_path; }
    pybind11::dict GetStatus() const;
    pybind11::list GetInputs() const;
    pybind11::list GetOutputs() const;
    pybind11::list GetAttributes() const;

    // See the module's docstring for Project.run.
    pybind11::dict Run(const pybind11::object& iterations, const pybind11::dict& attributes,
                       const pybind11::dict& inputs, const pybind11::object& output,
                       const std::string& format);

private:
    static std::mutex& EngineMutex();

    std::string m_path;
    ProjectNode m_node;
    Status m_status;
    // `quillmar info --json`'s three arrays, as JSON text.
    std::string m_inputs_json;
    std::string m_outputs_json;
    std::string m_attributes_json;
    // Every attribute's value after the read, restored before each run.
    std::vector<std::string> m_initial_values;
};
