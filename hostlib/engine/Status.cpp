#include "host/Status.h"

#include <algorithm>

void Status::Merge(const Status& other) {
    m_code = std::max(m_code, other.m_code);
    if (other.m_message.empty()) {
        return;
    }
    if (!m_message.empty()) {
        m_message += '\n';
    }
    m_message += other.m_message;
}
