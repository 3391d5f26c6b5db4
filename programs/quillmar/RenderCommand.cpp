#include "programs/quillmar/RenderCommand.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "host/Engine.h"
#include "host/Image.h"
#include "host/ImageFile.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/PluginLoader.h"
#include "host/ProjectFile.h"
#include "programs/quillmar/StatusReport.h"
#include "programs/quillmar/WriterPath.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "quillmar render: ";
const NodeType kWriterType(10, 16, 0);

std::string Describe(const Node& writer, size_t index) {
    return writer.GetName().empty() ? "Writer #" + std::to_string(index + 1)
                                    : "Writer \"" + writer.GetName() + "\"";
}

// Writes the image to `path`, creating its folder; false after printing why not.
bool WriteImage(const Image& image, const fs::path& path) {
    std::error_code code;
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path(), code);
    }
    std::string error;
    if (code) {
        error = "cannot create the folder " + path.parent_path().string() + ": " + code.message();
    } else if (!ImageFile::Write(image, path.string(), error)) {
        error = "cannot write " + path.string() + ": " + error;
    }
    if (!error.empty()) {
        std::cerr << kPrefix << error << '\n';
        return false;
    }
    return true;
}

}  // namespace

RenderCommand::RenderCommand(CLI::App& program)
    : Command(program, "render", "Evaluate every Writer node of a document and write its image") {
    m_app->add_option("DOCUMENT", m_document, "Document to render (.qmr)")->required();
    m_app
        ->add_option("-o,--output", m_folder,
                     "Folder that Writer paths are taken from (created when missing). A Writer "
                     "whose path is absolute, climbs out with .. or leads out through a link is "
                     "refused")
        ->capture_default_str();
    m_app->add_flag("--allow-outside", m_allow_outside,
                    "Write Writer paths that lead outside the folder too (absolute paths as they "
                    "are): only for documents you trust");
    m_session.AddOptions(*m_app);
}

int RenderCommand::Run() {
    if (m_folder.empty()) {
        m_folder = ".";
    }
    m_session.Begin(kPrefix);
    PluginLoader& loader = PluginLoader::Get();
    loader.LoadDefault();
    for (const std::string& error : loader.GetErrors()) {
        std::cerr << kPrefix << error << '\n';
    }
    NodeGraph* document = Engine::Get()->GetDocument();
    const Status status = ProjectFile::Read(m_document, *document);
    if (m_session.IsStopped()) {
        return m_session.ReportStop("nothing written");
    }
    if (status.GetCode() >= int(StatusCode::Error)) {
        StatusReport::PrintReadFailure(std::cerr, kPrefix, m_document, status);
        return kExitBadInput;
    }
    if (!status.IsOk()) {
        std::cerr << kPrefix << "warnings reading " << m_document << ":\n"
                  << status.GetMessage() << '\n';
    }

    size_t num_writers = 0;
    size_t num_written = 0;
    bool evaluation_error = false;
    bool write_error = false;
    for (size_t index = 0; index < document->GetNumNodes(); ++index) {
        Node* writer = document->GetNode(index);
        if (writer->GetNodeType() != kWriterType) {
            continue;
        }
        ++num_writers;
        const std::string name = Describe(*writer, index);
        if (!writer->IsActive()) {
            std::cerr << kPrefix << name << " is inactive: skipped\n";
            continue;
        }
        if (!m_session.Evaluate(writer, 0, name)) {
            return m_session.ReportStop(std::to_string(num_written) +
                                        " complete images written before the stop");
        }
        if (writer->GetState(0) > 0) {
            std::cerr << kPrefix << name << ": state " << writer->GetState(0) << ": "
                      << writer->GetStateMessage(0) << '\n';
            evaluation_error = true;
        }
        const Attribute* path_attribute = writer->GetAttribute("path");
        const std::string path = path_attribute ? path_attribute->GetString() : std::string();
        const Image* image = writer->GetImageValue(0);
        fs::path file;
        std::string path_error;
        if (path.empty()) {
            std::cerr << kPrefix << name << " has no path to write to\n";
            evaluation_error = true;
        } else if (!WriterPath::Resolve(m_folder, path, m_allow_outside, file, path_error)) {
            std::cerr << kPrefix << name << ": " << path_error
                      << "; refused (--allow-outside writes it)\n";
            write_error = true;
        } else if (!image || image->IsEmpty()) {
            std::cerr << kPrefix << name << " has no image to write to " << path << '\n';
            evaluation_error = true;
        } else {
            if (WriteImage(*image, file)) {
                // As the user named it, not as links resolved it.
                const fs::path shown = fs::path(m_folder) / path;
                std::cout << "Wrote " << shown.lexically_normal().string() << '\n';
                ++num_written;
            } else {
                write_error = true;
            }
        }
    }
    if (num_writers == 0) {
        std::cerr << kPrefix << m_document << " has no Writer node: nothing to render\n";
        return kExitBadInput;
    }
    if (write_error) {
        return kExitBadInput;
    }
    return evaluation_error ? kExitEvaluationError : kExitSuccess;
}
