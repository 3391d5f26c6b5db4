#include "host/QMultiSlider.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>

namespace {
// Half the width of a handle; the track starts and ends this far inside the widget.
constexpr int kHandleHalfWidth = 4;
}  // namespace

QMultiSlider::QMultiSlider(QWidget* parent, int num_handles)
    : QWidget(parent), m_values(std::max(num_handles, 1), 0.0) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::ClickFocus);
}

void QMultiSlider::SetRange(double minimum, double maximum) {
    if (!std::isfinite(minimum) || !std::isfinite(maximum)) {
        return;
    }
    if (minimum > maximum) {
        std::swap(minimum, maximum);
    }
    m_minimum = minimum;
    m_maximum = maximum;
    for (double& value : m_values) {
        value = std::clamp(value, m_minimum, m_maximum);
    }
    update();
}

void QMultiSlider::SetValue(int handle, double value) {
    if (handle < 0 || handle >= GetNumHandles() || std::isnan(value)) {
        return;
    }
    m_values[handle] = std::clamp(value, m_minimum, m_maximum);
    update();
}

double QMultiSlider::GetValue(int handle) const {
    return handle >= 0 && handle < GetNumHandles() ? m_values[handle] : 0.0;
}

QSize QMultiSlider::sizeHint() const {
    return {120, 22};
}

QSize QMultiSlider::minimumSizeHint() const {
    return {2 * kHandleHalfWidth + 1, 22};
}

double QMultiSlider::ValueAt(int x) const {
    const int span = width() - 2 * kHandleHalfWidth - 1;
    if (span <= 0) {
        return m_minimum;
    }
    const double t = std::clamp(double(x - kHandleHalfWidth) / span, 0.0, 1.0);
    return m_minimum + t * (m_maximum - m_minimum);
}

int QMultiSlider::PositionOf(double value) const {
    const int span = width() - 2 * kHandleHalfWidth - 1;
    if (span <= 0 || m_maximum <= m_minimum) {
        return kHandleHalfWidth;
    }
    const double t = (value - m_minimum) / (m_maximum - m_minimum);
    return kHandleHalfWidth + int(std::lround(std::clamp(t, 0.0, 1.0) * span));
}

void QMultiSlider::MoveHandleTo(int x) {
    if (m_active_handle < 0 || m_active_handle >= GetNumHandles()) {
        return;
    }
    const double value = ValueAt(x);
    if (value == m_values[m_active_handle]) {
        return;
    }
    m_values[m_active_handle] = value;
    update();
    emit ValueChangedSignal(m_active_handle, value);
}

void QMultiSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const int middle = height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(group, QPalette::Mid));
    painter.drawRoundedRect(QRectF(kHandleHalfWidth, middle - 2, width() - 2 * kHandleHalfWidth, 4),
                            2, 2);
    painter.setPen(palette().color(group, QPalette::Shadow));
    for (int handle = 0; handle < GetNumHandles(); ++handle) {
        painter.setBrush(palette().color(
            group, handle == m_active_handle ? QPalette::Highlight : QPalette::Button));
        const int x = PositionOf(m_values[handle]);
        painter.drawRoundedRect(QRectF(x - kHandleHalfWidth, middle - 7, 2 * kHandleHalfWidth, 14),
                                2, 2);
    }
}

void QMultiSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int x = event->position().toPoint().x();
    // The nearest handle; on a tie the later one, so stacked handles at the minimum can be pulled
    // apart by dragging right.
    int nearest = 0;
    for (int handle = 1; handle < GetNumHandles(); ++handle) {
        if (std::abs(PositionOf(m_values[handle]) - x) <=
            std::abs(PositionOf(m_values[nearest]) - x)) {
            nearest = handle;
        }
    }
    m_active_handle = nearest;
    MoveHandleTo(x);
    update();
    event->accept();
}

void QMultiSlider::mouseMoveEvent(QMouseEvent* event) {
    if (m_active_handle < 0) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    MoveHandleTo(event->position().toPoint().x());
    event->accept();
}

void QMultiSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (m_active_handle < 0 || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    MoveHandleTo(event->position().toPoint().x());
    m_active_handle = -1;
    update();
    event->accept();
}
