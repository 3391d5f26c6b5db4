#include "python/PythonProject.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <optional>
#include <utility>

#include "host/Attribute.h"
#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/Image.h"
#include "host/ImageFile.h"
#include "host/Material.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"
#include "host/ScopedTemporaryDirectory.h"
#include "programs/quillmar/OutputFiles.h"
#include "programs/quillmar/ProjectInfo.h"
#include "programs/quillmar/RunSetup.h"
#include "python/PythonValues.h"
#include "python/RunOutput.h"

namespace py = pybind11;

namespace {

std::string ToJsonText(const QJsonArray& array) {
    return QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString();
}

py::list FromJsonText(const std::string& text) {
    return py::module_::import("json").attr("loads")(text);
}

struct Input {
    std::string m_name;
    std::string m_text;
    RefPtr<Image> m_image;
};

struct StateReport {
    std::string m_output;
    Node::State m_state;
    std::string m_message;
};

// What the locked part of a run gives back: the outputs, or why the run was refused.
struct RunResult {
    std::vector<RunOutput> m_outputs;
    std::vector<StateReport> m_states;
    std::string m_error;
    // The error is a file that could not be written, not a wrong value.
    bool m_file_error = false;
};

// Writes the outputs' images into the folder as `quillmar run -o` names them.
bool WriteFiles(Node& node, RunOutput& output, uint32_t outplug, const std::string& folder,
                const std::string& format, OutputFiles& files, std::string& error) {
    const std::string stem = OutputFiles::SafeFileStem(output.m_name);
    if (output.m_type == Node::Value::Image) {
        const Image* image = node.GetImageValue(outplug);
        if (image && !image->IsEmpty()) {
            output.m_file = files.Write(*image, folder, stem, format, error);
            return !output.m_file.empty();
        }
    } else if (output.m_type == Node::Value::Material) {
        const Material* material = node.GetMaterialValue(outplug);
        for (const std::string& name :
             material ? material->GetImageNames() : std::vector<std::string>()) {
            const Image* image = material->GetImage(name);
            std::string file;
            if (image && !image->IsEmpty()) {
                file = files.Write(*image, folder, stem + "_" + OutputFiles::SafeFileStem(name),
                                   format, error);
                if (file.empty()) {
                    return false;
                }
            }
            output.m_material_files.emplace_back(name, file);
        }
    }
    return true;
}

// Removes the source nodes that the run connected to the project node's inputs.
void DisconnectInputs(ProjectNode& project) {
    Node* node = project.Get();
    for (uint32_t inplug = project.GetFirstInput(); inplug < node->GetNumInplugs(); ++inplug) {
        if (Node* source = node->GetInplugNode(inplug)) {
            Engine::Get()->GetDocument()->DeleteNode(source);
        }
    }
}

// Restores the attributes the read gave, applies the run's, feeds the inputs, evaluates every
// output and copies the results. Call with the engine locked.
RunResult RunLocked(ProjectNode& project, const std::vector<std::string>& initial_values,
                    const std::vector<std::pair<std::string, std::string>>& settings,
                    const std::vector<Input>& inputs, const std::optional<std::string>& folder,
                    const std::string& format) {
    Node* node = project.Get();
    RunResult result;
    // From 1: attribute 0 is the project file, which stays as read.
    for (size_t index = 1; index < initial_values.size(); ++index) {
        node->GetAttributeByIndex(index)->SetValueText(initial_values[index], false);
    }
    for (const auto& [name, value] : settings) {
        result.m_error = RunSetup::SetAttribute(project, name, value);
        if (!result.m_error.empty()) {
            return result;
        }
    }
    // Array inputs reach the project as files, the way the command line feeds images.
    ScopedTemporaryDirectory images;
    for (size_t index = 0; index < inputs.size(); ++index) {
        const Input& input = inputs[index];
        std::string value = input.m_text;
        if (input.m_image) {
            if ((images.GetPath().empty() && !images.Create(result.m_error)) ||
                !ImageFile::Write(*input.m_image,
                                  images.GetPath() + "/" + std::to_string(index) + ".tif",
                                  result.m_error)) {
                result.m_file_error = true;
                DisconnectInputs(project);
                return result;
            }
            value = images.GetPath() + "/" + std::to_string(index) + ".tif";
        }
        result.m_error = RunSetup::ConnectInput(project, input.m_name, value);
        if (!result.m_error.empty()) {
            DisconnectInputs(project);
            return result;
        }
    }

    node->SetDirtyAllOutplugs();
    const uint32_t count = node->GetNumOutplugs();
    for (uint32_t outplug = 0; outplug < count; ++outplug) {
        EvaluateNodeOutplugs({{node, outplug, false}}).EvaluateAll();
    }
    OutputFiles files;
    for (uint32_t outplug = 0; outplug < count && result.m_error.empty(); ++outplug) {
        RunOutput& output = result.m_outputs.emplace_back(*node, outplug);
        if (folder && !WriteFiles(*node, output, outplug, *folder, format, files, result.m_error)) {
            result.m_file_error = true;
        }
        // Every failure the node reported on the outplug, not only the last one it set.
        std::vector<Node::StateReport> reports = node->GetStateReports(outplug);
        if (reports.empty() && node->GetState(outplug) > 0) {
            reports.push_back({node->GetState(outplug), node->GetStateMessage(outplug)});
        }
        for (const Node::StateReport& report : reports) {
            result.m_states.push_back({output.m_name, report.m_state, report.m_message});
        }
    }
    DisconnectInputs(project);
    return result;
}

}  // namespace

std::mutex& PythonProject::EngineMutex() {
    static std::mutex mutex;
    return mutex;
}

PythonProject::PythonProject(const std::string& path) : m_path(path) {
    {
        py::gil_scoped_release release;
        std::lock_guard lock(EngineMutex());
        m_status = m_node.Load(path, "quillmar: ");
        if (m_status.GetCode() < int(StatusCode::Error)) {
            const ProjectInfo info(m_node, path);
            m_inputs_json = ToJsonText(info.m_inputs);
            m_outputs_json = ToJsonText(info.m_outputs);
            m_attributes_json = ToJsonText(info.m_attributes);
            const Node* node = m_node.Get();
            for (size_t index = 0; index < node->GetNumAttributes(); ++index) {
                m_initial_values.push_back(node->GetAttributeByIndex(index)->GetValueText());
            }
        } else if (m_node.Get()) {
            Engine::Get()->GetDocument()->DeleteNode(m_node.Get());
        }
    }
    if (m_status.GetCode() >= int(StatusCode::Error)) {
        // The read's message, then what the host refused and why on the next line.
        throw ProjectReadError("cannot read " + path + ": " + m_status.GetFullMessage());
    }
}

PythonProject::~PythonProject() {
    // Nothing that holds the engine lock waits for the GIL, so taking it here cannot deadlock.
    std::lock_guard lock(EngineMutex());
    Engine::Get()->GetDocument()->DeleteNode(m_node.Get());
}

py::dict PythonProject::GetStatus() const {
    py::dict status;
    status["code"] = m_status.GetCode();
    status["message"] = m_status.GetMessage();
    // As `quillmar run --json` has it: empty unless the host refused something.
    status["reason"] = m_status.GetReason();
    return status;
}

py::list PythonProject::GetInputs() const {
    return FromJsonText(m_inputs_json);
}

py::list PythonProject::GetOutputs() const {
    return FromJsonText(m_outputs_json);
}

py::list PythonProject::GetAttributes() const {
    return FromJsonText(m_attributes_json);
}

py::dict PythonProject::Run(const py::object& iterations, const py::dict& attributes,
                            const py::dict& inputs, const py::object& output,
                            const std::string& format) {
    if (format != "png" && format != "exr" && format != "tif") {
        throw py::value_error("format " + format + ": png, exr or tif");
    }
    std::vector<std::pair<std::string, std::string>> settings;
    if (!iterations.is_none()) {
        settings.emplace_back("iterations",
                              PythonValues::ToText("--set", "iterations", iterations));
    }
    for (const auto& [key, value] : attributes) {
        const std::string name = py::str(key);
        if (name == "iterations" && !iterations.is_none()) {
            throw py::value_error("--set iterations is given twice");
        }
        settings.emplace_back(name, PythonValues::ToText("--set", name, value));
    }
    std::vector<Input> input_values;
    for (const auto& [key, value] : inputs) {
        Input input{py::str(key), "", nullptr};
        if (PythonValues::IsArray(value)) {
            input.m_image = PythonValues::ToImage(input.m_name, value);
        } else {
            input.m_text = PythonValues::ToText("--input", input.m_name, value);
        }
        input_values.push_back(std::move(input));
    }
    std::optional<std::string> folder;
    if (!output.is_none()) {
        folder = py::str(py::module_::import("os").attr("fspath")(output));
    }

    RunResult result;
    {
        py::gil_scoped_release release;
        std::lock_guard lock(EngineMutex());
        result = RunLocked(m_node, m_initial_values, settings, input_values, folder, format);
    }
    if (!result.m_error.empty()) {
        if (result.m_file_error) {
            PyErr_SetString(PyExc_OSError, result.m_error.c_str());
            throw py::error_already_set();
        }
        throw py::value_error(result.m_error);
    }

    py::dict outputs;
    py::dict files;
    for (const RunOutput& run_output : result.m_outputs) {
        outputs[py::str(run_output.m_name)] = PythonValues::ToPython(run_output);
        if (!run_output.m_file.empty()) {
            files[py::str(run_output.m_name)] = run_output.m_file;
        } else if (run_output.m_type == Node::Value::Material && folder) {
            py::dict images;
            for (const auto& [name, file] : run_output.m_material_files) {
                images[py::str(name)] = file.empty() ? py::object(py::none()) : py::str(file);
            }
            files[py::str(run_output.m_name)] = images;
        }
    }
    py::list states;
    for (const StateReport& report : result.m_states) {
        py::dict state;
        state["output"] = report.m_output;
        state["state"] = report.m_state;
        state["message"] = report.m_message;
        states.append(state);
    }
    py::dict run;
    run["status"] = GetStatus();
    run["outputs"] = outputs;
    run["states"] = states;
    if (folder) {
        run["files"] = files;
    }
    return run;
}
