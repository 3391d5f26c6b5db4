#include "host/ScopedTemporaryDirectory.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include <boost/filesystem.hpp>
#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

namespace fs = boost::filesystem;

namespace {

const std::string kPrefix = "quillmar-";

// The process id in a folder name of ours, or 0.
pid_t OwnerProcess(const std::string& name) {
    if (name.compare(0, kPrefix.size(), kPrefix) != 0) {
        return 0;
    }
    const char* first = name.data() + kPrefix.size();
    const char* last = name.data() + name.size();
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(first, last, pid);
    return error == std::errc() && end != last && *end == '-' && pid > 0 ? pid : 0;
}

}  // namespace

ScopedTemporaryDirectory::~ScopedTemporaryDirectory() {
    Remove();
}

size_t ScopedTemporaryDirectory::RemoveAbandoned(const std::string& temporary) {
    size_t removed = 0;
    boost::system::error_code code;
    for (fs::directory_iterator it(temporary, code), end; !code && it != end; it.increment(code)) {
        const pid_t pid = OwnerProcess(it->path().filename().string());
        struct stat info;
        // Only our own folders, and only when the process is certainly gone (EPERM: it lives
        // under another user).
        if (pid == 0 || pid == getpid() || lstat(it->path().c_str(), &info) != 0 ||
            !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
            !(kill(pid, 0) != 0 && errno == ESRCH)) {
            continue;
        }
        boost::system::error_code remove_code;
        fs::remove_all(it->path(), remove_code);
        removed += remove_code ? 0 : 1;
    }
    return removed;
}

bool ScopedTemporaryDirectory::Create(std::string& error) {
    Remove();
    boost::system::error_code code;
    const fs::path temporary = fs::temp_directory_path(code);
    if (code) {
        error = "cannot find the temporary folder: " + code.message();
        return false;
    }
    [[maybe_unused]] static const size_t swept = RemoveAbandoned(temporary.string());
    const fs::path path = temporary / (kPrefix + std::to_string(getpid()) + "-" +
                                       boost::uuids::to_string(boost::uuids::random_generator()()));
    // A folder that exists already is not ours to use or remove.
    if (!fs::create_directory(path, code)) {
        error = "cannot create the temporary folder " + path.string() + ": " +
                (code ? code.message() : std::string("it exists already"));
        return false;
    }
    m_path = path.string();
    return true;
}

bool ScopedTemporaryDirectory::MakeCurrent(std::string& error) {
    boost::system::error_code code;
    const fs::path previous = fs::current_path(code);
    if (code) {
        error = "cannot read the working directory: " + code.message();
        return false;
    }
    fs::current_path(m_path, code);
    if (code) {
        error = "cannot enter the temporary folder " + m_path + ": " + code.message();
        return false;
    }
    if (m_previous_directory.empty()) {
        m_previous_directory = previous.string();
    }
    return true;
}

void ScopedTemporaryDirectory::Remove() {
    boost::system::error_code code;
    if (!m_previous_directory.empty()) {
        fs::current_path(m_previous_directory, code);
        m_previous_directory.clear();
    }
    if (!m_path.empty()) {
        fs::remove_all(m_path, code);
        m_path.clear();
    }
}
