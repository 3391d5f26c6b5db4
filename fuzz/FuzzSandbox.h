#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// The folder a fuzz harness works in, made once per process, with the system temporary folder
// (TMPDIR) inside it, so that every folder a read leaves behind shows up here. A harness makes it
// current for one input (Enter) and restores the fuzzer's own working directory afterwards
// (Leave), since libFuzzer names its files relative to that. Invariants are checked with Check,
// which aborts so that the fuzzer keeps the input.
class FuzzSandbox {
public:
    FuzzSandbox();
    ~FuzzSandbox();
    FuzzSandbox(const FuzzSandbox&) = delete;
    FuzzSandbox& operator=(const FuzzSandbox&) = delete;

    const std::filesystem::path& GetFolder() const { return m_folder; }
    const std::filesystem::path& GetTemporaryFolder() const { return m_temporary; }

    void Enter() const;
    void Leave() const;

    // Writes the input to `name` in the folder and returns its absolute path.
    std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) const;
    // Aborts with the message unless the working directory is the folder and the temporary folder
    // is empty.
    void CheckClean() const;

    static void Check(bool condition, const std::string& message);

private:
    std::filesystem::path m_folder;
    std::filesystem::path m_temporary;
    std::filesystem::path m_fuzzer_directory;
};
