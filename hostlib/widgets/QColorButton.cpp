#include "host/QColorButton.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionButton>

QColorButton::QColorButton(QWidget* parent) : QPushButton(parent) {
    connect(this, &QPushButton::clicked, this, &QColorButton::OnClickedSignal);
}

void QColorButton::SetColor(const QColor& color) {
    if (color.isValid() && color != m_color) {
        m_color = color;
        update();
    }
}

void QColorButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(4, 4, -4, -4);
    if (swatch.isEmpty()) {
        return;
    }
    painter.setPen(isEnabled() ? palette().color(QPalette::WindowText)
                               : palette().color(QPalette::Disabled, QPalette::WindowText));
    QColor fill = m_color.toRgb();
    fill.setAlphaF(1.0f);
    painter.setBrush(isEnabled() ? fill : fill.lighter(130));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void QColorButton::OnClickedSignal() {
    QColorDialog dialog(m_color, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const QColor chosen = dialog.selectedColor();
    if (!chosen.isValid()) {
        return;
    }
    m_color = chosen;
    update();
    emit ColorChangedSignal(m_color);
}
