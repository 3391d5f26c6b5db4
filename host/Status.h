#pragma once

#include <string>

#include "host/HostExport.h"

enum class StatusCode : int {
    Ok = 0,
    // The operation finished but skipped something it did not understand.
    Warning = 1,
    Error = 2,
};

// Result of a host or plug-in operation: a code (0 success), a message for the user and,
// optionally, the reason behind it (what was refused and why), kept apart so that the message
// itself stays one of a fixed set that callers may compare against.
class QM_HOST_API Status {
public:
    Status() = default;
    Status(int code, std::string message) : m_code(code), m_message(std::move(message)) {}
    Status(StatusCode code, std::string message, std::string reason = {})
        : m_code(static_cast<int>(code)),
          m_message(std::move(message)),
          m_reason(std::move(reason)) {}

    static Status Ok() { return {}; }

    int GetCode() const { return m_code; }
    const std::string& GetMessage() const { return m_message; }
    bool IsOk() const { return m_code == 0; }
    // Empty when the message says it all; may hold several lines.
    const std::string& GetReason() const { return m_reason; }
    void SetReason(std::string reason) { m_reason = std::move(reason); }
    // The message, then the reason on the next line when there is one.
    std::string GetFullMessage() const;

    // Keeps the higher code and appends the other message (and reason) on a new line.
    void Merge(const Status& other);

private:
    int m_code = 0;
    std::string m_message;
    std::string m_reason;
};
