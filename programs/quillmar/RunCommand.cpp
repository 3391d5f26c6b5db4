#include "programs/quillmar/RunCommand.h"

#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "host/Attribute.h"
#include "host/BezierSpline.h"
#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/Image.h"
#include "host/ImageFile.h"
#include "host/Material.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "programs/quillmar/StatusReport.h"
#include "programs/quillmar/ValueFormat.h"

namespace fs = std::filesystem;

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

// Exactly `count` comma-separated finite numbers, spaces allowed around each.
bool ParseNumbers(const std::string& text, int count, double* values) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int index = 0; index < count; ++index) {
        while (p < end && *p == ' ') {
            ++p;
        }
        const auto [next, error] = std::from_chars(p, end, values[index]);
        if (error != std::errc() || !std::isfinite(values[index])) {
            return false;
        }
        p = next;
        while (p < end && *p == ' ') {
            ++p;
        }
        if (index + 1 < count) {
            if (p == end || *p != ',') {
                return false;
            }
            ++p;
        }
    }
    return p == end;
}

int NumberCount(Attribute::Type type) {
    switch (type) {
        case Attribute::NUMBER:
            return 1;
        case Attribute::POINT:
            return 2;
        case Attribute::FRAME:
        case Attribute::RGBO:
            return 4;
        default:
            return 0;
    }
}

// What --set takes for the attribute, for error messages.
std::string AcceptedForm(const Attribute& attribute) {
    std::string range;
    double minimum = 0.0;
    double maximum = 0.0;
    if (attribute.GetEditRange(minimum, maximum)) {
        range = " from " + ValueFormat::Number(minimum) + " to " + ValueFormat::Number(maximum);
    }
    switch (attribute.GetType()) {
        case Attribute::BOOLEAN:
            return "true or false";
        case Attribute::NUMBER:
            return range.empty() ? "a number such as 3.5" : "a number" + range;
        case Attribute::POINT:
            return "a point x,y" + (range.empty() ? "" : ", each" + range);
        case Attribute::FRAME:
            return "a frame x,y,width,height, each" + range;
        case Attribute::RGBO:
            return "a colour r,g,b,o, each" + range;
        case Attribute::CHOICE: {
            std::string choices;
            for (const std::string& choice : attribute.GetChoiceNames()) {
                choices += (choices.empty() ? "" : ", ") + choice;
            }
            return "one of " + choices;
        }
        case Attribute::STRING:
            return "any text";
    }
    return "nothing";
}

bool SetAttribute(Attribute& attribute, const std::string& text) {
    const int count = NumberCount(attribute.GetType());
    if (count > 0) {
        double values[4];
        if (!ParseNumbers(text, count, values)) {
            return false;
        }
        // The panel's limits, so that a value --set takes is one the panel could show.
        double minimum = 0.0;
        double maximum = 0.0;
        attribute.GetEditRange(minimum, maximum);
        for (int index = 0; index < count; ++index) {
            if (values[index] < minimum || values[index] > maximum) {
                return false;
            }
        }
    }
    return attribute.SetValueText(text, false);
}

// The standard source node that gives a value of that type, and its attributes in the order the
// command line gives their numbers (one attribute for a text form the attribute reads itself).
struct SourceKind {
    Node::Value::Type m_type;
    NodeType m_node_type;
    std::vector<const char*> m_attributes;
    const char* m_form;
};

const std::vector<SourceKind>& SourceKinds() {
    static const std::vector<SourceKind> kinds = {
        {Node::Value::Number, NodeType(10, 2, 0), {"value"}, "a number such as 3.5"},
        {Node::Value::Point, NodeType(10, 2, 2), {"x", "y"}, "a point x,y"},
        {Node::Value::Frame,
         NodeType(10, 2, 3),
         {"x", "y", "width", "height"},
         "a frame x,y,width,height"},
        {Node::Value::Rgbo, NodeType(10, 2, 4), {"color"}, "a colour r,g,b,o"},
        {Node::Value::Boolean, NodeType(10, 2, 5), {"value"}, "true or false"},
        {Node::Value::String, NodeType(10, 2, 6), {"value"}, "any text"},
        {Node::Value::Image, NodeType(10, 15, 0), {"path"}, "an image file"},
    };
    return kinds;
}

// Sets the source's attributes from the command-line text; false when it does not fit.
bool SetSourceValue(Node& source, const SourceKind& kind, const std::string& text) {
    switch (kind.m_type) {
        case Node::Value::Number:
        case Node::Value::Point:
        case Node::Value::Frame: {
            double values[4];
            const int count = int(kind.m_attributes.size());
            if (!ParseNumbers(text, count, values)) {
                return false;
            }
            for (int index = 0; index < count; ++index) {
                source.GetAttribute(kind.m_attributes[size_t(index)])
                    ->SetNumber(values[index], false);
            }
            return true;
        }
        case Node::Value::Rgbo: {
            double values[4];
            return ParseNumbers(text, 4, values) &&
                   source.GetAttribute("color")->SetValueText(text, false);
        }
        case Node::Value::Image: {
            std::error_code code;
            const fs::path absolute = fs::absolute(text, code);
            source.GetAttribute("path")->SetString(code ? text : absolute.string(), false);
            return !text.empty();
        }
        default:
            return source.GetAttribute(kind.m_attributes[0])->SetValueText(text, false);
    }
}

// A file name for an output: path separators and control characters become '_', so that the
// file stays in the output folder whatever the project names it.
std::string SafeFileStem(const std::string& name) {
    std::string stem = name.empty() ? std::string("output") : name;
    for (char& c : stem) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) {
            c = '_';
        }
    }
    return stem;
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
}

int RunCommand::Run() {
    if (m_folder.empty()) {
        m_folder = ".";
    }
    if (!CheckOutputFolder()) {
        return kExitBadInput;
    }
    m_status = m_node.Load(m_project, kPrefix);
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
    Evaluate();
    CollectOutputs();
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
    if (fs::exists(m_folder, code) && !fs::is_directory(m_folder, code)) {
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
    Node* node = m_node.Get();
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
        Attribute* attribute = node->GetAttribute(name);
        if (!attribute || attribute == node->GetAttributeByIndex(0)) {
            std::string names;
            for (size_t index = 1; index < node->GetNumAttributes(); ++index) {
                names += (names.empty() ? "" : ", ") + node->GetAttributeByIndex(index)->GetName();
            }
            std::cerr << kPrefix << "--set " << name
                      << (attribute ? ": the project file is given as PROJECT"
                                    : ": no such attribute")
                      << "; the attributes are " << names << '\n';
            return false;
        }
        if (!SetAttribute(*attribute, value)) {
            std::cerr << kPrefix << "--set " << name << "=" << value << ": " << name << " takes "
                      << AcceptedForm(*attribute) << '\n';
            return false;
        }
    }
    return true;
}

bool RunCommand::ApplyInputs() {
    Node* node = m_node.Get();
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
        const uint32_t inplug = m_node.FindInput(name);
        if (inplug == Node::kNone) {
            std::string names;
            for (uint32_t other = m_node.GetFirstInput(); other < node->GetNumInplugs(); ++other) {
                names += (names.empty() ? "" : ", ") + node->GetInplugName(other);
            }
            std::cerr << kPrefix << "--input " << name << ": the project has no such input; "
                      << (names.empty() ? "it has no inputs" : "its inputs are " + names) << '\n';
            return false;
        }
        if (!ConnectInput(inplug, name, value)) {
            return false;
        }
    }
    return true;
}

bool RunCommand::ConnectInput(uint32_t inplug, const std::string& name, const std::string& value) {
    Node* node = m_node.Get();
    const Node::Value::Type type = node->GetInplugValueType(inplug);
    const auto kind = std::find_if(SourceKinds().begin(), SourceKinds().end(),
                                   [type](const SourceKind& k) { return k.m_type == type; });
    if (kind == SourceKinds().end()) {
        std::cerr << kPrefix << "--input " << name << ": the input takes a "
                  << ValueFormat::TypeWord(type) << ", which the command line cannot give\n";
        return false;
    }
    NodeGraph* document = Engine::Get()->GetDocument();
    Node* source = document->CreateNode(kind->m_node_type);
    if (!source) {
        std::cerr << kPrefix << "--input " << name << ": the host makes no node of type "
                  << kind->m_node_type.ToString() << '\n';
        return false;
    }
    for (const char* attribute : kind->m_attributes) {
        if (!source->GetAttribute(attribute)) {
            std::cerr << kPrefix << "--input " << name << ": the host's " << source->GetTypeName()
                      << " node has no attribute " << attribute << '\n';
            return false;
        }
    }
    if (!SetSourceValue(*source, *kind, value)) {
        std::cerr << kPrefix << "--input " << name << "=" << value << ": " << name << " takes "
                  << kind->m_form << '\n';
        return false;
    }
    if (type == Node::Value::Image) {
        // An unreadable image is a file that could not be read, not an evaluation error.
        EvaluateNodeOutplugs({{source, 0, false}}).EvaluateAll();
        if (source->GetState(0) > 0 || !source->GetImageValue(0)) {
            std::cerr << kPrefix << "--input " << name << ": cannot read the image " << value
                      << ": " << source->GetStateMessage(0) << '\n';
            return false;
        }
    }
    if (!Engine::Get()->ConnectNodes(source, 0, node, inplug)) {
        std::cerr << kPrefix << "--input " << name << ": cannot connect a "
                  << ValueFormat::TypeWord(type) << " source to the input\n";
        return false;
    }
    return true;
}

void RunCommand::Evaluate() {
    Node* node = m_node.Get();
    const uint32_t count = node->GetNumOutplugs();
    // One evaluation runs all iterations, so a line per output is all the progress there is.
    const bool progress = !m_json && isatty(fileno(stderr));
    for (uint32_t outplug = 0; outplug < count; ++outplug) {
        if (progress) {
            std::cerr << "\r" << kPrefix << "evaluating output " << outplug + 1 << " of " << count
                      << "\033[K" << std::flush;
        }
        EvaluateNodeOutplugs({{node, outplug, false}}).EvaluateAll();
    }
    if (progress) {
        std::cerr << "\r\033[K" << std::flush;
    }
}

void RunCommand::CollectOutputs() {
    Node* node = m_node.Get();
    for (uint32_t outplug = 0; outplug < node->GetNumOutplugs(); ++outplug) {
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
            const std::string file =
                image && !image->IsEmpty() ? WriteImage(*image, SafeFileStem(name)) : "";
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
                        ? WriteImage(*image, SafeFileStem(name) + "_" + SafeFileStem(image_name))
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
    std::string file_name = stem + "." + m_format;
    // Two outputs whose names differ only in characters the file name replaces stay apart.
    for (int suffix = 2;
         std::find(m_used_files.begin(), m_used_files.end(), file_name) != m_used_files.end();
         ++suffix) {
        file_name = stem + "_" + std::to_string(suffix) + "." + m_format;
    }
    m_used_files.push_back(file_name);
    const std::string path =
        m_folder == "." ? file_name : (fs::path(m_folder) / file_name).string();
    std::error_code code;
    fs::create_directories(m_folder, code);
    std::string error;
    if (code) {
        error = "cannot create the folder " + m_folder + ": " + code.message();
    } else if (!ImageFile::Write(image, path, error)) {
        error = "cannot write " + path + ": " + error;
    }
    if (!error.empty()) {
        std::cerr << kPrefix << error << '\n';
        m_status.Merge(Status(StatusCode::Error, error));
        return "";
    }
    return path;
}
