#include "host/QDragSpinner.h"

#include <algorithm>
#include <cmath>

#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include "host/Attribute.h"

namespace {
// Position along the drag axis: moving right or up increases it.
int Travel(const QMouseEvent* mouse) {
    const QPoint global = mouse->globalPosition().toPoint();
    return global.x() - global.y();
}
}  // namespace

QDragSpinner::QDragSpinner(QWidget* parent) : QDoubleSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setAccelerated(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    // Presses land on the line edit inside the spin box; watch both so that a drag starting
    // anywhere on the field works.
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    // A longer number needs a wider field.
    connect(this, &QDoubleSpinBox::valueChanged, this, [this] { updateGeometry(); });
}

QSize QDragSpinner::sizeHint() const {
    ensurePolished();
    const QFontMetrics metrics = fontMetrics();
    int text = 0;
    for (double shown : {value(), minimum(), maximum()}) {
        if (std::abs(shown) < Attribute::kEditLimit) {
            const QString full = prefix() + textFromValue(shown) + suffix();
            text = std::max(text, metrics.horizontalAdvance(full));
        }
    }
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    // Room for the cursor and the line edit's own margins.
    const QSize contents(text + 2 * metrics.horizontalAdvance(QLatin1Char(' ')),
                         QDoubleSpinBox::sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, contents, this);
}

QSize QDragSpinner::minimumSizeHint() const {
    return sizeHint();
}

bool QDragSpinner::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this && watched != lineEdit()) {
        return QDoubleSpinBox::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && isEnabled() && !isReadOnly()) {
                m_dragging = true;
                m_dragged = false;
                m_press_x = Travel(mouse);  // the position along the drag axis
                m_press_value = value();
            }
            break;
        }
        case QEvent::MouseMove: {
            if (!m_dragging) {
                break;
            }
            auto* mouse = static_cast<QMouseEvent*>(event);
            const int travel = Travel(mouse) - m_press_x;
            if (!m_dragged && std::abs(travel) < kPixelsPerStep) {
                break;  // a click that shook a little still places the text cursor
            }
            m_dragged = true;
            const int steps = travel / kPixelsPerStep;
            const double target =
                std::clamp(m_press_value + steps * singleStep(), minimum(), maximum());
            // One setValue per step, so that listeners see every intermediate value (up to a
            // bound, for a step tiny against the range).
            const double step = singleStep();
            const double distance = step > 0.0 ? std::abs(target - value()) / step : 0.0;
            for (int n = int(std::min(std::ceil(distance - 1e-9), 1000.0)); n > 1; --n) {
                setValue(value() < target ? value() + step : value() - step);
            }
            setValue(target);
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || !m_dragging) {
                break;
            }
            m_dragging = false;
            if (m_dragged) {
                m_dragged = false;
                lineEdit()->deselect();
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QDoubleSpinBox::eventFilter(watched, event);
}
