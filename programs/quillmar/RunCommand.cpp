#include "programs/quillmar/RunCommand.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "host/BezierSpline.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/Image.h"
#include "host/Material.h"
#include "host/Node.h"
#include "programs/quillmar/OutputFiles.h"
#include "programs/quillmar/RunSetup.h"
#include "programs/quillmar/StatusReport.h"
#include "programs/quillmar/ValueFormat.h"

namespace {

constexpr const char* kPrefix = "quillmar run: ";

bool SplitAssignment(const std::string& option, const std::string& text, std::string& name,
                     std::string& value) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        std::cerr << kPrefix << option << " \"" << text << "\": expected NAME=VALUE\n";
        return false;
    }
    name = text.substr(0, equals);
    value = text.substr(equals + 1);
    return true;
}

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

RunCommand::RunCommand(CLI::App& program)
    : Command(program, "run", "Run a project as one Node Graph node and print its outputs") {
    m_app->add_option("PROJECT", m_project, "Project file to run (.qmr)")->required();
    m_app
        ->add_option("--set", m_settings,
                     "Set an attribute of the node: iterations (1 to 100000) or one of the "
                     "project's attributes (see `quillmar info`). Booleans true/false, numbers "
                     "3.5, points x,y, frames x,y,w,h, colours r,g,b,o, choices by name")
        ->type_name("NAME=VALUE")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    m_app
        ->add_option("--input", m_inputs,
                     "Feed an input of the project: numbers 3.5, points x,y, frames x,y,w,h, "
                     "colours r,g,b,o, booleans true/false, text as is, images a file path")
        ->type_name("NAME=VALUE")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    m_app
        ->add_option("-o,--output", m_folder,
                     "Folder for image and material outputs (created when missing), written as "
                     "<output>.png and <output>_<image>.png")
        ->capture_default_str();
    m_app
        ->add_option("--format", m_format,
                     "Image file format: png (8 bits per channel), or exr or tif to keep the "
                     "floating-point values")
        ->check(CLI::IsMember({"png", "exr", "tif"}))
        ->capture_default_str();
    m_app->add_flag("--json", m_json, "Print one JSON object with the status, outputs and states");
    m_session.AddOptions(*m_app);
}

int RunCommand::Run() {
    if (m_folder.empty()) {
        m_folder = ".";
    }
    if (!CheckOutputFolder()) {
        return kExitBadInput;
    }
    m_session.Begin(kPrefix);
    m_status = m_node.Load(m_project, kPrefix);
    if (m_session.IsStopped()) {
        return m_session.ReportStop("nothing written");
    }
    if (m_status.GetCode() >= int(StatusCode::Error)) {
        StatusReport::PrintReadFailure(std::cerr, kPrefix, m_project, m_status);
        if (m_json) {
            const QJsonObject document{
                {"status", StatusReport::ToJson(m_status)},
                {"outputs", QJsonArray()},
                {"states", QJsonArray()},
            };
            const QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Indented);
            std::cout.write(json.constData(), json.size());
        }
        return kExitBadInput;
    }
    if (!m_status.IsOk()) {
        std::cerr << kPrefix << "warnings reading " << m_project << ":\n"
                  << m_status.GetMessage() << '\n';
    }
    // With --json, a command line that does not fit the project is reported as JSON too.
    std::ostringstream errors;
    std::streambuf* const stderr_buffer = m_json ? std::cerr.rdbuf(errors.rdbuf()) : nullptr;
    const bool applied = ApplySettings() && ApplyInputs();
    if (stderr_buffer) {
        std::cerr.rdbuf(stderr_buffer);
        std::cerr << errors.str();
    }
    if (!applied) {
        if (m_json) {
            std::string message = errors.str();
            const std::string prefix = kPrefix;
            if (message.compare(0, prefix.size(), prefix) == 0) {
                message.erase(0, prefix.size());
            }
            while (!message.empty() && message.back() == '\n') {
                message.pop_back();
            }
            StatusReport::PrintJsonError(message);
        }
        return kExitBadInput;
    }
    if (!Evaluate()) {
        return m_session.ReportStop("nothing written");
    }
    CollectOutputs();
    if (m_session.IsStopped()) {
        return m_session.ReportStop("output files finished before it are complete");
    }
    if (m_json) {
        const QJsonObject document{
            {"status", StatusReport::ToJson(m_status)},
            {"outputs", m_outputs},
            {"states", m_states},
        };
        const QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Indented);
        std::cout.write(json.constData(), json.size());
    }
    if (m_status.GetCode() >= int(StatusCode::Error)) {
        return kExitBadInput;
    }
    return m_states.isEmpty() ? kExitSuccess : kExitEvaluationError;
}

bool RunCommand::CheckOutputFolder() {
    std::error_code code;
    if (std::filesystem::exists(m_folder, code) && !std::filesystem::is_directory(m_folder, code)) {
        const std::string error = "-o " + m_folder + " is a file, not a folder";
        std::cerr << kPrefix << error << '\n';
        if (m_json) {
            StatusReport::PrintJsonError(error);
        }
        return false;
    }
    return true;
}

bool RunCommand::ApplySettings() {
    std::set<std::string> seen;
    for (const std::string& setting : m_settings) {
        std::string name;
        std::string value;
        if (!SplitAssignment("--set", setting, name, value)) {
            return false;
        }
        if (!seen.insert(name).second) {
            std::cerr << kPrefix << "--set " << name << " is given twice\n";
            return false;
        }
        const std::string error = RunSetup::SetAttribute(m_node, name, value);
        if (!error.empty()) {
            std::cerr << kPrefix << error << '\n';
            return false;
        }
    }
    return true;
}

bool RunCommand::ApplyInputs() {
    std::set<std::string> seen;
    for (const std::string& input : m_inputs) {
        std::string name;
        std::string value;
        if (!SplitAssignment("--input", input, name, value)) {
            return false;
        }
        if (!seen.insert(name).second) {
            std::cerr << kPrefix << "--input " << name << " is given twice\n";
            return false;
        }
        const std::string error = RunSetup::ConnectInput(m_node, name, value);
        if (!error.empty()) {
            std::cerr << kPrefix << error << '\n';
            return false;
        }
    }
    return true;
}

bool RunCommand::Evaluate() {
    Node* node = m_node.Get();
    const uint32_t count = node->GetNumOutplugs();
    for (uint32_t outplug = 0; outplug < count; ++outplug) {
        const std::string label =
            "output " + node->GetOutplugName(outplug) +
            (count > 1 ? " (" + std::to_string(outplug + 1) + " of " + std::to_string(count) + ")"
                       : std::string());
        if (!m_session.Evaluate(node, outplug, label)) {
            return false;
        }
    }
    return true;
}

void RunCommand::CollectOutputs() {
    Node* node = m_node.Get();
    for (uint32_t outplug = 0; outplug < node->GetNumOutplugs() && !m_session.IsStopped();
         ++outplug) {
        const std::string& name = node->GetOutplugName(outplug);
        const Node::Value::Type type = node->GetOutplugValueType(outplug);
        std::string text;
        const QJsonValue value = CollectOutput(outplug, text);
        m_outputs.append(QJsonObject{
            {"name", ToQString(name)},
            {"type", ValueFormat::TypeWord(type)},
            {"value", value},
        });
        if (!m_json) {
            std::cout << name << " (" << ValueFormat::TypeWord(type) << "): " << text << '\n';
        }
        // Every failure the node reported on the outplug, not only the last one it set.
        std::vector<Node::StateReport> reports = node->GetStateReports(outplug);
        if (reports.empty() && node->GetState(outplug) > 0) {
            reports.push_back({node->GetState(outplug), node->GetStateMessage(outplug)});
        }
        for (const Node::StateReport& report : reports) {
            m_states.append(QJsonObject{
                {"output", ToQString(name)},
                {"state", qint64(report.m_state)},
                {"message", ToQString(report.m_message)},
            });
            std::cerr << kPrefix << "output " << name << ": state " << report.m_state << ": "
                      << report.m_message << '\n';
        }
    }
}

QJsonValue RunCommand::CollectOutput(uint32_t outplug, std::string& text) {
    Node* node = m_node.Get();
    const std::string& name = node->GetOutplugName(outplug);
    switch (node->GetOutplugValueType(outplug)) {
        case Node::Value::Boolean: {
            const bool value = node->GetBooleanValue(outplug);
            text = value ? "true" : "false";
            return value;
        }
        case Node::Value::Number: {
            const double value = node->GetNumberValue(outplug);
            text = ValueFormat::Number(value);
            return value;
        }
        case Node::Value::Point: {
            const Point point = node->GetPointValue(outplug);
            const double values[] = {point.x, point.y};
            text = ValueFormat::Numbers(values, 2);
            return ValueFormat::NumbersJson(values, 2);
        }
        case Node::Value::Frame: {
            const Frame frame = node->GetFrameValue(outplug);
            const double values[] = {frame.x, frame.y, frame.width, frame.height};
            text = ValueFormat::Numbers(values, 4);
            return ValueFormat::NumbersJson(values, 4);
        }
        case Node::Value::Rgbo: {
            const Rgbo rgbo = node->GetRgboValue(outplug);
            const double values[] = {rgbo.r, rgbo.g, rgbo.b, rgbo.o};
            text = ValueFormat::Numbers(values, 4);
            return ValueFormat::NumbersJson(values, 4);
        }
        case Node::Value::String:
            text = node->GetStringValue(outplug);
            return ToQString(text);
        case Node::Value::Image: {
            const Image* image = node->GetImageValue(outplug);
            const std::string file = image && !image->IsEmpty()
                                         ? WriteImage(*image, OutputFiles::SafeFileStem(name))
                                         : "";
            if (file.empty()) {
                text = "none";
                return QJsonValue();
            }
            text = file + " (" + std::to_string(image->GetWidth()) + "x" +
                   std::to_string(image->GetHeight()) + ")";
            return QJsonObject{{"file", ToQString(file)},
                               {"width", qint64(image->GetWidth())},
                               {"height", qint64(image->GetHeight())}};
        }
        case Node::Value::Material: {
            const Material* material = node->GetMaterialValue(outplug);
            if (!material) {
                text = "none";
                return QJsonValue();
            }
            QJsonObject files;
            for (const std::string& image_name : material->GetImageNames()) {
                const Image* image = material->GetImage(image_name);
                const std::string file =
                    image && !image->IsEmpty()
                        ? WriteImage(*image, OutputFiles::SafeFileStem(name) + "_" +
                                                 OutputFiles::SafeFileStem(image_name))
                        : "";
                files.insert(ToQString(image_name), file.empty() ? QJsonValue() : ToQString(file));
                text += (text.empty() ? "" : ", ") + image_name + " " +
                        (file.empty() ? std::string("none") : file);
            }
            if (text.empty()) {
                text = "no images";
            }
            return files;
        }
        case Node::Value::Curve: {
            const std::vector<BezierSpline*>* curves = node->GetCurveValue(outplug);
            QJsonArray splines;
            for (const BezierSpline* spline : curves ? *curves : std::vector<BezierSpline*>()) {
                QJsonArray points;
                text += text.empty() ? "" : " | ";
                for (const Point& point : spline->GetControlPoints()) {
                    const double values[] = {point.x, point.y};
                    points.append(ValueFormat::NumbersJson(values, 2));
                    text +=
                        (points.size() > 1 ? " (" : "(") + ValueFormat::Numbers(values, 2) + ")";
                }
                splines.append(points);
            }
            if (text.empty()) {
                text = "no splines";
            }
            return splines;
        }
        default:
            text = "not shown";
            return QJsonValue();
    }
}

std::string RunCommand::WriteImage(const Image& image, const std::string& stem) {
    std::string error;
    const std::string path = m_files.Write(image, m_folder, stem, m_format, error);
    if (path.empty()) {
        std::cerr << kPrefix << error << '\n';
        m_status.Merge(Status(StatusCode::Error, error));
    }
    return path;
}
