#include "nodes/attributes/QAWMouseEventSignaler.h"

#include <QEvent>
#include <QMouseEvent>

QAWMouseEventSignaler::QAWMouseEventSignaler(QObject* parent) : QObject(parent) {}

QAWMouseEventSignaler::~QAWMouseEventSignaler() = default;

bool QAWMouseEventSignaler::eventFilter(QObject* watched, QEvent* event) {
    if (m_enabled && event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        emit mouseButtonEvent(static_cast<QMouseEvent*>(event));
    }
    return false;
}
