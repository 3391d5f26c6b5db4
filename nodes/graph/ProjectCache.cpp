#include "nodes/graph/ProjectCache.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <list>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

#include "host/Container.h"
#include "host/ScopedTemporaryDirectory.h"
#include "host/XmlFile.h"

namespace fs = std::filesystem;

namespace {

// What tells one version of a file from another: a save that replaces the file changes its
// inode, one that rewrites it changes its modification time. File clocks tick every few
// milliseconds, and a program may rewrite a file faster than that with bytes of the same length,
// so the bytes are compared too (through a hash: reading a file costs little beside unpacking
// and parsing it).
struct Identity {
    std::string m_path;
    off_t m_size = 0;
    timespec m_modified{};
    dev_t m_device = 0;
    ino_t m_inode = 0;
    size_t m_content = 0;

    bool operator==(const Identity& other) const {
        return m_path == other.m_path && m_size == other.m_size &&
               m_modified.tv_sec == other.m_modified.tv_sec &&
               m_modified.tv_nsec == other.m_modified.tv_nsec && m_device == other.m_device &&
               m_inode == other.m_inode && m_content == other.m_content;
    }
};

// False for a file that cannot be kept (missing, not a regular file): it is read uncached and
// fails as it would have.
bool Identify(const std::string& container, Identity& identity) {
    std::error_code code;
    const fs::path canonical = fs::canonical(container, code);
    struct stat info {};
    if (code || stat(canonical.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    identity.m_path = canonical.string();
    identity.m_size = info.st_size;
    identity.m_modified = info.st_mtim;
    identity.m_device = info.st_dev;
    identity.m_inode = info.st_ino;
    std::ifstream file(canonical, std::ios::binary);
    std::string bytes(size_t(info.st_size), '\0');
    if (!file.read(bytes.data(), std::streamsize(bytes.size()))) {
        return false;
    }
    identity.m_content = std::hash<std::string>()(bytes);
    return true;
}

struct Kept {
    Identity m_identity;
    std::shared_ptr<const ProjectCache::Project> m_project;
};

// Most recently used first.
std::shared_ptr<const ProjectCache::Project> Find(std::list<Kept>& kept, const Identity& identity) {
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->m_identity == identity) {
            kept.splice(kept.begin(), kept, it);
            return it->m_project;
        }
    }
    return nullptr;
}

void Keep(std::list<Kept>& kept, const Identity& identity,
          std::shared_ptr<const ProjectCache::Project> project, size_t limit) {
    // An older version of the file is no use any more.
    kept.remove_if([&](const Kept& entry) { return entry.m_identity.m_path == identity.m_path; });
    kept.push_front({identity, std::move(project)});
    while (kept.size() > limit) {
        kept.pop_back();
    }
}

struct Shared {
    std::mutex m_mutex;
    std::list<Kept> m_kept;
};

Shared& GetShared() {
    static Shared shared;
    return shared;
}

struct Unpacked {
    Identity m_identity;
    std::string m_folder;
};

struct SessionState {
    int m_depth = 0;
    std::vector<std::unique_ptr<ScopedTemporaryDirectory>> m_folders;
    std::vector<Unpacked> m_unpacked;
    std::string m_empty_folder;
    // Projects inside this session's folders: their paths are never seen again.
    std::list<Kept> m_kept;
};

thread_local SessionState t_session;

bool InsideSessionFolder(const std::string& path) {
    for (const std::unique_ptr<ScopedTemporaryDirectory>& folder : t_session.m_folders) {
        const std::string& prefix = folder->GetPath();
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
            path[prefix.size()] == '/') {
            return true;
        }
    }
    return false;
}

bool Enter(const std::string& folder, std::string& previous, std::string& error) {
    std::error_code code;
    previous = fs::current_path(code).string();
    if (code) {
        error = "cannot read the working directory: " + code.message();
        return false;
    }
    fs::current_path(folder, code);
    if (code) {
        error = "cannot enter the temporary folder " + folder + ": " + code.message();
        return false;
    }
    return true;
}

void Leave(const std::string& previous) {
    std::error_code code;
    fs::current_path(previous, code);
}

// Unpacks `container` into a new `folder` and, when `project` is given, parses its Project.xml.
bool Unpack(const std::string& container, std::unique_ptr<ProjectCache::Project>* project,
            std::unique_ptr<ScopedTemporaryDirectory>& folder, std::string& error) {
    folder = std::make_unique<ScopedTemporaryDirectory>();
    std::string previous;
    if (!folder->Create(error) || !Enter(folder->GetPath(), previous, error)) {
        return false;
    }
    // A refused container leaves nothing behind, so it fails below as a missing Project.xml
    // would; its reason is the one to give.
    std::string unpack_error;
    const bool unpacked = DecompressFiles(container, unpack_error);
    if (!project) {
        Leave(previous);
        if (!unpacked) {
            error = unpack_error;
        }
        return unpacked;
    }
    auto parsed = std::make_unique<ProjectCache::Project>();
    parsed->m_document = TiXmlDocument("Project.xml");
    std::string load_error;
    const bool loaded = XmlFile::Load(parsed->m_document, "Project.xml", load_error);
    Leave(previous);
    if (!loaded) {
        error = unpack_error.empty() ? "Project.xml: " + load_error : unpack_error;
        return false;
    }
    const TiXmlElement* root = parsed->m_document.FirstChildElement("QuillmarProject");
    if (!root) {
        error = "Project.xml has no QuillmarProject element";
        return false;
    }
    if (root->QueryIntAttribute("major", &parsed->m_major) != TIXML_SUCCESS ||
        root->QueryIntAttribute("minor", &parsed->m_minor) != TIXML_SUCCESS) {
        error = "Project.xml has no integer \"major\" and \"minor\" version";
        return false;
    }
    std::error_code code;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder->GetPath(), code)) {
        if (entry.path().filename() != "Project.xml") {
            parsed->m_side_files = true;
            break;
        }
    }
    *project = std::move(parsed);
    return true;
}

}  // namespace

ProjectCache::Session::Session() {
    ++t_session.m_depth;
}

ProjectCache::Session::~Session() {
    if (--t_session.m_depth == 0) {
        t_session.m_kept.clear();
        t_session.m_unpacked.clear();
        t_session.m_empty_folder.clear();
        t_session.m_folders.clear();
    }
}

ProjectCache::Opened::~Opened() {
    if (!m_previous_directory.empty()) {
        Leave(m_previous_directory);
    }
}

std::unique_ptr<ProjectCache::Opened> ProjectCache::Open(const std::string& container,
                                                         std::string& error) {
    SessionState& session = t_session;
    Shared& shared = GetShared();
    Identity identity;
    const bool known = Identify(container, identity);
    const bool session_only = known && InsideSessionFolder(identity.m_path);

    std::shared_ptr<const Project> project;
    if (known) {
        if (session_only) {
            project = Find(session.m_kept, identity);
        } else {
            const std::lock_guard<std::mutex> lock(shared.m_mutex);
            project = Find(shared.m_kept, identity);
        }
    }

    std::unique_ptr<ScopedTemporaryDirectory> unpacked;
    if (!project) {
        std::unique_ptr<Project> parsed;
        if (!Unpack(container, &parsed, unpacked, error)) {
            return nullptr;
        }
        project = std::move(parsed);
        if (session_only) {
            Keep(session.m_kept, identity, project, kMaxKept);
        } else if (known) {
            const std::lock_guard<std::mutex> lock(shared.m_mutex);
            Keep(shared.m_kept, identity, project, kMaxKept);
        }
    }

    // The folder to read in: the project's own files, or an empty one.
    std::string folder;
    if (!project->m_side_files) {
        if (session.m_empty_folder.empty()) {
            auto empty = std::make_unique<ScopedTemporaryDirectory>();
            if (!empty->Create(error)) {
                return nullptr;
            }
            session.m_empty_folder = empty->GetPath();
            session.m_folders.push_back(std::move(empty));
        }
        folder = session.m_empty_folder;
    } else {
        for (const Unpacked& entry : session.m_unpacked) {
            if (known && entry.m_identity == identity) {
                folder = entry.m_folder;
            }
        }
        if (folder.empty()) {
            if (!unpacked && !Unpack(container, nullptr, unpacked, error)) {
                return nullptr;
            }
            folder = unpacked->GetPath();
            if (known) {
                session.m_unpacked.push_back({identity, folder});
            }
            session.m_folders.push_back(std::move(unpacked));
        }
    }

    std::unique_ptr<Opened> opened(new Opened);
    if (!Enter(folder, opened->m_previous_directory, error)) {
        opened->m_previous_directory.clear();
        return nullptr;
    }
    opened->m_project = std::move(project);
    return opened;
}
