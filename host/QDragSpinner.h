#pragma once

#include <QDoubleSpinBox>

#include "host/HostExport.h"

// A compact number field without arrow buttons: typing works as in a spin box, and dragging with
// the left button held moves the value by one single step per few pixels of horizontal travel
// (right or up increases). A drag emits valueChanged for every step, like typing does. Its size
// hint fits the text of its value and of its limits (limits of kEditLimit and more, which stand
// for none, are left out), so that a layout that lets it grow never cuts a number.
class QM_HOST_API QDragSpinner : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit QDragSpinner(QWidget* parent = nullptr);

    // Horizontal pixels of travel per single step.
    static constexpr int kPixelsPerStep = 4;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_dragging = false;
    bool m_dragged = false;
    int m_press_x = 0;
    double m_press_value = 0.0;
};
