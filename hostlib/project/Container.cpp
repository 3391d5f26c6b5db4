#include "host/Container.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

#include <boost/filesystem.hpp>

namespace {

std::atomic<uint64_t> g_max_entries{ContainerLimits().m_max_entries};
std::atomic<uint64_t> g_max_total_bytes{ContainerLimits().m_max_total_bytes};

constexpr size_t kChunkSize = size_t(1) << 16;

struct ZipArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipArchiveCloser>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

// Owns a POSIX file descriptor.
struct Descriptor {
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int m_fd;
};

std::string ErrnoText() {
    return std::strerror(errno);
}

// What one extraction created, relative to its root, so that a refused archive can be taken
// back out: files that existed before are not listed and stay.
struct Created {
    std::vector<std::string> m_files;
    std::vector<std::string> m_folders;

    // Newest first, so that folders are empty when their turn comes.
    void Remove(int root) const {
        for (auto file = m_files.rbegin(); file != m_files.rend(); ++file) {
            ::unlinkat(root, file->c_str(), 0);
        }
        for (auto folder = m_folders.rbegin(); folder != m_folders.rend(); ++folder) {
            ::unlinkat(root, folder->c_str(), AT_REMOVEDIR);
        }
    }
};

std::string JoinComponents(const std::vector<std::string>& components, size_t count) {
    std::string path;
    for (size_t i = 0; i < count; ++i) {
        path += (i > 0 ? "/" : "") + components[i];
    }
    return path;
}

// Splits an entry name into path components that stay inside the extraction folder. Backslashes
// count as separators, since some archivers write them; empty and "." components are dropped.
// Returns false with a reason for names that could leave the folder.
bool SplitEntryName(const std::string& name, std::vector<std::string>& components,
                    std::string& error) {
    components.clear();
    if (name.empty()) {
        error = "an entry has an empty name";
        return false;
    }
    if (name[0] == '/' || name[0] == '\\') {
        error = "entry \"" + name + "\" has an absolute path";
        return false;
    }
    if (name.size() >= 2 && name[1] == ':' &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) {
        error = "entry \"" + name + "\" starts with a drive letter";
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) {
            end = name.size();
        }
        std::string component = name.substr(start, end - start);
        if (component == "..") {
            error = "entry \"" + name + "\" has a \"..\" component";
            return false;
        }
        if (!component.empty() && component != ".") {
            components.push_back(std::move(component));
        }
        start = end + 1;
    }
    return true;
}

// Opens (creating when missing) the folder reached by the first `count` components below
// `root`, refusing to pass through a symbolic link.
bool OpenFolder(int root, const std::vector<std::string>& components, size_t count,
                Descriptor& folder, Created& created, std::string& error) {
    folder = Descriptor(::fcntl(root, F_DUPFD_CLOEXEC, 0));
    if (folder.m_fd < 0) {
        error = "cannot open the working directory: " + ErrnoText();
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        const char* component = components[i].c_str();
        if (::mkdirat(folder.m_fd, component, 0777) == 0) {
            created.m_folders.push_back(JoinComponents(components, i + 1));
        } else if (errno != EEXIST) {
            error = "cannot create folder \"" + components[i] + "\": " + ErrnoText();
            return false;
        }
        Descriptor next(
            ::openat(folder.m_fd, component, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (next.m_fd < 0) {
            error = errno == ELOOP || errno == ENOTDIR
                        ? "\"" + components[i] + "\" is not a folder (a symbolic link or a file)"
                        : "cannot open folder \"" + components[i] + "\": " + ErrnoText();
            return false;
        }
        folder = std::move(next);
    }
    return true;
}

bool WriteAll(int fd, const char* data, size_t size, std::string& error) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = ErrnoText();
            return false;
        }
        data += written;
        size -= size_t(written);
    }
    return true;
}

// Refuses entries that are neither regular files nor folders by their Unix mode, and encrypted
// entries.
bool CheckEntryKind(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat,
                    const std::string& name, std::string& error) {
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        error = "entry \"" + name + "\" is encrypted";
        return false;
    }
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) {
        error = "cannot read the attributes of entry \"" + name + "\": " + zip_strerror(archive);
        return false;
    }
    if (system == ZIP_OPSYS_UNIX || system == ZIP_OPSYS_OS_X) {
        const mode_t type = (attributes >> 16) & S_IFMT;
        if (type == S_IFLNK) {
            error = "entry \"" + name + "\" is a symbolic link";
            return false;
        }
        if (type != 0 && type != S_IFREG && type != S_IFDIR) {
            error = "entry \"" + name + "\" is a special file";
            return false;
        }
    }
    return true;
}

// Streams one entry into a new regular file, counting the bytes against the total limit.
bool ExtractFile(zip_t* archive, zip_uint64_t index, int root,
                 const std::vector<std::string>& components, const std::string& name,
                 std::vector<char>& buffer, uint64_t max_total_bytes, uint64_t& total_bytes,
                 Created& created, std::string& error) {
    Descriptor folder(-1);
    if (!OpenFolder(root, components, components.size() - 1, folder, created, error)) {
        return false;
    }
    // O_NONBLOCK keeps a planted FIFO from blocking the open; the checks below refuse it.
    constexpr int kFlags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    const char* file_name = components.back().c_str();
    Descriptor file(::openat(folder.m_fd, file_name, kFlags | O_EXCL, 0666));
    if (file.m_fd >= 0) {
        created.m_files.push_back(JoinComponents(components, components.size()));
    } else if (errno == EEXIST) {
        file = Descriptor(::openat(folder.m_fd, file_name, kFlags, 0666));
    }
    if (file.m_fd < 0) {
        error = "cannot create \"" + name + "\": " + ErrnoText();
        return false;
    }
    struct stat file_stat;
    if (::fstat(file.m_fd, &file_stat) != 0 || !S_ISREG(file_stat.st_mode) ||
        file_stat.st_nlink != 1) {
        error = "\"" + name + "\" already exists as a link or a special file";
        return false;
    }
    if (::ftruncate(file.m_fd, 0) != 0) {
        error = "cannot write \"" + name + "\": " + ErrnoText();
        return false;
    }
    ZipFile entry(zip_fopen_index(archive, index, 0));
    if (!entry) {
        error = "cannot read entry \"" + name + "\": " + zip_strerror(archive);
        return false;
    }
    for (;;) {
        zip_int64_t count = zip_fread(entry.get(), buffer.data(), buffer.size());
        if (count < 0) {
            error = "cannot read entry \"" + name + "\": " + zip_file_strerror(entry.get());
            return false;
        }
        if (count == 0) {
            break;
        }
        if (uint64_t(count) > max_total_bytes - total_bytes) {
            error = "the archive holds more than " + std::to_string(max_total_bytes) +
                    " bytes of uncompressed data";
            return false;
        }
        total_bytes += uint64_t(count);
        std::string write_error;
        if (!WriteAll(file.m_fd, buffer.data(), size_t(count), write_error)) {
            error = "cannot write \"" + name + "\": " + write_error;
            return false;
        }
    }
    return true;
}

std::string ZipErrorText(int code) {
    zip_error_t zip_error;
    zip_error_init_with_code(&zip_error, code);
    std::string text = zip_error_strerror(&zip_error);
    zip_error_fini(&zip_error);
    return text;
}

bool ExtractAll(zip_t* archive, zip_uint64_t num_entries, int root, const ContainerLimits& limits,
                Created& created, std::string& error) {
    std::vector<char> buffer(kChunkSize);
    uint64_t total_bytes = 0;
    std::vector<std::string> components;
    for (zip_uint64_t index = 0; index < num_entries; ++index) {
        const std::string name = zip_get_name(archive, index, 0);
        if (!SplitEntryName(name, components, error)) {
            return false;
        }
        const bool is_folder = name.back() == '/' || name.back() == '\\';
        if (is_folder) {
            Descriptor folder(-1);
            if (!OpenFolder(root, components, components.size(), folder, created, error)) {
                return false;
            }
        } else if (components.empty()) {
            error = "entry \"" + name + "\" names no file";
            return false;
        } else if (!ExtractFile(archive, index, root, components, name, buffer,
                                limits.m_max_total_bytes, total_bytes, created, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace

ContainerLimits GetContainerLimits() {
    ContainerLimits limits;
    limits.m_max_entries = g_max_entries.load();
    limits.m_max_total_bytes = g_max_total_bytes.load();
    return limits;
}

void SetContainerLimits(const ContainerLimits& limits) {
    g_max_entries = limits.m_max_entries;
    g_max_total_bytes = limits.m_max_total_bytes;
}

bool DecompressFiles(const std::string& container_path, std::string& error) {
    const ContainerLimits limits = GetContainerLimits();
    int code = 0;
    ZipArchive archive(zip_open(container_path.c_str(), ZIP_RDONLY, &code));
    if (!archive) {
        error = "cannot open \"" + container_path + "\": " + ZipErrorText(code);
        return false;
    }
    const zip_int64_t num_entries = zip_get_num_entries(archive.get(), 0);
    if (num_entries < 0 || uint64_t(num_entries) > limits.m_max_entries) {
        error = "the archive has more than " + std::to_string(limits.m_max_entries) + " entries";
        return false;
    }
    // Check every entry before writing anything; the sizes declared here only give an early
    // refusal, the limit itself is enforced on the bytes unpacked.
    uint64_t declared_bytes = 0;
    for (zip_uint64_t index = 0; index < zip_uint64_t(num_entries); ++index) {
        zip_stat_t stat;
        if (zip_stat_index(archive.get(), index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)) {
            error =
                "cannot read entry " + std::to_string(index) + ": " + zip_strerror(archive.get());
            return false;
        }
        std::vector<std::string> components;
        if (!SplitEntryName(stat.name, components, error) ||
            !CheckEntryKind(archive.get(), index, stat, stat.name, error)) {
            return false;
        }
        if (stat.valid & ZIP_STAT_SIZE) {
            declared_bytes += std::min<uint64_t>(stat.size, limits.m_max_total_bytes + 1);
            if (declared_bytes > limits.m_max_total_bytes) {
                error = "the archive holds more than " + std::to_string(limits.m_max_total_bytes) +
                        " bytes of uncompressed data";
                return false;
            }
        }
    }

    Descriptor root(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (root.m_fd < 0) {
        error = "cannot open the working directory: " + ErrnoText();
        return false;
    }
    Created created;
    if (!ExtractAll(archive.get(), zip_uint64_t(num_entries), root.m_fd, limits, created, error)) {
        created.Remove(root.m_fd);
        return false;
    }
    return true;
}

bool DecompressFiles(const std::string& container_path) {
    std::string error;
    return DecompressFiles(container_path, error);
}

bool CompressFiles(const std::string& folder, const std::vector<std::string>& files,
                   const std::string& container_path, std::string& error) {
    std::vector<std::string> ordered;
    ordered.reserve(files.size());
    for (const std::string& file : files) {
        if (file == "Project.xml") {
            ordered.insert(ordered.begin(), file);
        } else {
            ordered.push_back(file);
        }
    }
    int zip_code = 0;
    // libzip writes into a temporary file beside container_path and renames it on success.
    ZipArchive archive(zip_open(container_path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &zip_code));
    if (!archive) {
        error = "cannot create \"" + container_path + "\": " + ZipErrorText(zip_code);
        return false;
    }
    std::vector<std::string> components;
    for (const std::string& file : ordered) {
        if (!SplitEntryName(file, components, error)) {
            return false;
        }
        const std::string source_path = (boost::filesystem::path(folder) / file).string();
        // libzip opens the files only when it writes the archive, and then cannot say which one
        // failed: name a missing or unreadable one here. Links are not followed.
        Descriptor source_file(
            ::open(source_path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat source_stat;
        if (source_file.m_fd < 0) {
            error = "cannot read \"" + source_path +
                    "\": " + (errno == ELOOP ? std::string("a symbolic link") : ErrnoText());
            return false;
        }
        if (::fstat(source_file.m_fd, &source_stat) != 0 || !S_ISREG(source_stat.st_mode)) {
            error = "cannot read \"" + source_path + "\": not a regular file";
            return false;
        }
        zip_source_t* source = zip_source_file(archive.get(), source_path.c_str(), 0, -1);
        if (!source) {
            error = "cannot read \"" + source_path + "\": " + zip_strerror(archive.get());
            return false;
        }
        const zip_int64_t index = zip_file_add(archive.get(), file.c_str(), source, 0);
        if (index < 0) {
            zip_source_free(source);
            error = "cannot add \"" + file + "\": " + zip_strerror(archive.get());
            return false;
        }
        if (zip_set_file_compression(archive.get(), zip_uint64_t(index), ZIP_CM_DEFLATE, 0) != 0) {
            error = "cannot compress \"" + file + "\": " + zip_strerror(archive.get());
            return false;
        }
    }
    if (zip_close(archive.get()) != 0) {
        error = "cannot write \"" + container_path + "\": " + zip_strerror(archive.get());
        return false;
    }
    archive.release();
    return true;
}
