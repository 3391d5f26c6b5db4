#include "host/Status.h"

#include <algorithm>

namespace {

void AppendLine(std::string& text, const std::string& line) {
    if (line.empty()) {
        return;
    }
    if (!text.empty()) {
        text += '\n';
    }
    text += line;
}

}  // namespace

std::string Status::GetFullMessage() const {
    std::string text = m_message;
    AppendLine(text, m_reason);
    return text;
}

void Status::Merge(const Status& other) {
    m_code = std::max(m_code, other.m_code);
    AppendLine(m_message, other.m_message);
    AppendLine(m_reason, other.m_reason);
}
