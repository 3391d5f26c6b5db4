#include "TestFolder.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

TestFolder::TestFolder() : m_previous_directory(std::filesystem::current_path()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "project_tests_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a test folder");
    }
    m_path = std::filesystem::canonical(pattern);
}

TestFolder::~TestFolder() {
    std::error_code code;
    std::filesystem::current_path(m_previous_directory, code);
    std::filesystem::remove_all(m_path, code);
}

std::string TestFolder::ReadText(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void TestFolder::WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream stream(path, std::ios::binary);
    stream << text;
}
