#pragma once

#include <filesystem>
#include <string>

// A private folder for one test: created empty, removed with its contents at the end. The working
// directory is restored to what it was at construction.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& GetPath() const { return m_path; }

    static std::string ReadText(const std::filesystem::path& path);
    static void WriteText(const std::filesystem::path& path, const std::string& text);

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous_directory;
};
