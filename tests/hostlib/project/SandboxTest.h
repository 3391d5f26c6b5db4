#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/ScopedTemporaryDirectory.h"

// A test run in a fresh folder of its own, made current; both are undone at the end.
class SandboxTest : public ::testing::Test {
public:
    static std::string ReadText(const std::filesystem::path& path) {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }
    static void WriteText(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_directory.Create(error) && m_directory.MakeCurrent(error)) << error;
        m_folder = m_directory.GetPath();
    }

    ScopedTemporaryDirectory m_directory;
    std::filesystem::path m_folder;
};
