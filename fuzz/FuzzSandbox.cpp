#include "fuzz/FuzzSandbox.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

FuzzSandbox::FuzzSandbox() : m_fuzzer_directory(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "quillmar-fuzz-XXXXXX").string();
    Check(::mkdtemp(pattern.data()) != nullptr, "cannot create the sandbox folder");
    m_folder = pattern;
    m_temporary = m_folder / "tmp";
    fs::create_directory(m_temporary);
    setenv("TMPDIR", m_temporary.c_str(), 1);
}

FuzzSandbox::~FuzzSandbox() {
    std::error_code code;
    fs::current_path(m_fuzzer_directory, code);
    fs::remove_all(m_folder, code);
}

void FuzzSandbox::Enter() const {
    fs::current_path(m_folder);
}

void FuzzSandbox::Leave() const {
    fs::current_path(m_fuzzer_directory);
}

std::string FuzzSandbox::WriteInput(const std::string& name, const uint8_t* data,
                                    size_t size) const {
    const fs::path path = m_folder / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return path.string();
}

void FuzzSandbox::CheckClean() const {
    std::error_code code;
    Check(fs::current_path(code) == m_folder, "the working directory was not restored");
    Check(fs::is_empty(m_temporary, code), "a temporary folder was left behind");
}

void FuzzSandbox::Check(bool condition, const std::string& message) {
    if (!condition) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", message.c_str());
        std::abort();
    }
}
