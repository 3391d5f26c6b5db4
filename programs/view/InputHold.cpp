#include "programs/view/InputHold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

// Input that may start an edit.
bool StartsEdit(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
           type == QEvent::KeyPress || type == QEvent::Wheel;
}

// Input that continues one: held only behind an edit already held, to keep the order.
bool ContinuesEdit(QEvent::Type type) {
    return type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ||
           type == QEvent::KeyRelease;
}

}  // namespace

InputHold::InputHold(QWidget* window) : QObject(window), m_window(window) {}

InputHold::~InputHold() {
    if (m_active) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void InputHold::LetThrough(QWidget* widget) {
    m_let_through.emplace_back(widget);
}

void InputHold::Begin() {
    if (!m_active) {
        m_active = true;
        QCoreApplication::instance()->installEventFilter(this);
    }
}

void InputHold::End() {
    if (m_active) {
        m_active = false;
        QCoreApplication::instance()->removeEventFilter(this);
    }
    for (auto& [target, event] : m_held) {
        if (target) {
            QCoreApplication::postEvent(target, event.release());
        }
    }
    m_held.clear();
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool starts = StartsEdit(type);
    if (!(starts || (ContinuesEdit(type) && !m_held.empty())) || !watched->isWidgetType() ||
        !IsHeldTarget(static_cast<QWidget*>(watched))) {
        return false;
    }
    m_held.emplace_back(watched, event->clone());
    if (m_held.size() == 1) {
        emit InputHeld();
    }
    return true;
}

bool InputHold::IsHeldTarget(QWidget* widget) const {
    if (widget != m_window && !m_window->isAncestorOf(widget)) {
        return false;
    }
    for (const QPointer<QWidget>& through : m_let_through) {
        if (through && (through == widget || through->isAncestorOf(widget))) {
            return false;
        }
    }
    return true;
}
