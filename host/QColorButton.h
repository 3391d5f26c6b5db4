#pragma once

#include <QColor>
#include <QPushButton>

#include "host/HostExport.h"

// A button filled with a colour. Clicking opens a colour dialog (modal, child of the button);
// accepting it sets the colour and emits ColorChangedSignal. SetColor is silent.
class QM_HOST_API QColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit QColorButton(QWidget* parent = nullptr);

    void SetColor(const QColor& color);
    QColor GetColor() const { return m_color; }

signals:
    void ColorChangedSignal(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private slots:
    void OnClickedSignal();

private:
    QColor m_color{Qt::white};
};
