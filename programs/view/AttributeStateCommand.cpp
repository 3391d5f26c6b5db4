#include "programs/view/AttributeStateCommand.h"

#include <string>
#include <utility>

#include <QString>

AttributeStateCommand::AttributeStateCommand(size_t node, AttributeListState before,
                                             AttributeListState after, Apply apply)
    : m_node(node),
      m_before(std::move(before)),
      m_after(std::move(after)),
      m_apply(std::move(apply)),
      m_time(std::chrono::steady_clock::now()) {
    const std::string value = m_before.ValueOnlyChange(m_after);
    setText(value.empty() ? QStringLiteral("attribute change")
                          : QStringLiteral("value of %1").arg(QString::fromStdString(value)));
}

void AttributeStateCommand::undo() {
    m_apply(m_node, m_before);
    m_done = false;
}

void AttributeStateCommand::redo() {
    if (!m_done) {
        m_apply(m_node, m_after);
        m_done = true;
    }
}

int AttributeStateCommand::id() const {
    return 1;
}

bool AttributeStateCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const AttributeStateCommand*>(other);
    if (next->m_node != m_node || next->m_time - m_time > kMergeWindow) {
        return false;
    }
    const std::string mine = m_before.ValueOnlyChange(m_after);
    if (mine.empty() || next->m_before.ValueOnlyChange(next->m_after) != mine) {
        return false;
    }
    m_after = next->m_after;
    m_time = next->m_time;
    return true;
}
