#pragma once

#include <chrono>
#include <functional>

#include <QUndoCommand>

#include "host/AttributeListState.h"

// One change of an Attributes node in the editor, held as the node's state before and after.
// The change has already happened when the command is pushed, so its first redo does nothing.
// Value changes of one attribute that follow each other closely (a drag, typing) merge into one.
class AttributeStateCommand : public QUndoCommand {
public:
    using Apply = std::function<void(size_t node, const AttributeListState& state)>;

    AttributeStateCommand(size_t node, AttributeListState before, AttributeListState after,
                          Apply apply);

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    static constexpr std::chrono::milliseconds kMergeWindow{1500};

    size_t m_node;
    AttributeListState m_before;
    AttributeListState m_after;
    Apply m_apply;
    std::chrono::steady_clock::time_point m_time;
    bool m_done = true;
};
