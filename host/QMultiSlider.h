#pragma once

#include <vector>

#include <QWidget>

#include "host/HostExport.h"

// A horizontal slider over a floating-point range with one or more handles. Clicking moves the
// nearest handle to the pointer; dragging moves it along. Handles are independent (they may pass
// each other). Only user interaction emits ValueChangedSignal; SetValue is silent.
class QM_HOST_API QMultiSlider : public QWidget {
    Q_OBJECT
public:
    explicit QMultiSlider(QWidget* parent = nullptr, int num_handles = 1);

    int GetNumHandles() const { return static_cast<int>(m_values.size()); }
    // A range given upside down is swapped. Values are clamped into the new range.
    void SetRange(double minimum, double maximum);
    double GetMinimum() const { return m_minimum; }
    double GetMaximum() const { return m_maximum; }
    // Clamped into the range; an invalid handle is ignored.
    void SetValue(int handle, double value);
    // 0 for an invalid handle.
    double GetValue(int handle) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void ValueChangedSignal(int handle, double value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double ValueAt(int x) const;
    int PositionOf(double value) const;
    void MoveHandleTo(int x);

    std::vector<double> m_values;
    double m_minimum = 0.0;
    double m_maximum = 1.0;
    int m_active_handle = -1;
};
