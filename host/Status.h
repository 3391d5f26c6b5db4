#pragma once

#include <string>

#include "host/HostExport.h"

enum class StatusCode : int {
    Ok = 0,
    // The operation finished but skipped something it did not understand.
    Warning = 1,
    Error = 2,
};

// Result of a host or plug-in operation: a code (0 success) and a message for the user.
class QM_HOST_API Status {
public:
    Status() = default;
    Status(int code, std::string message) : m_code(code), m_message(std::move(message)) {}
    Status(StatusCode code, std::string message)
        : m_code(static_cast<int>(code)), m_message(std::move(message)) {}

    static Status Ok() { return {}; }

    int GetCode() const { return m_code; }
    const std::string& GetMessage() const { return m_message; }
    bool IsOk() const { return m_code == 0; }

    // Keeps the higher code and appends the other message on a new line.
    void Merge(const Status& other);

private:
    int m_code = 0;
    std::string m_message;
};
