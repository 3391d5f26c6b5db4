#pragma once

#include <QObject>

class QEvent;
class QMouseEvent;

// An event filter that reports mouse button presses on the widget it watches, so that a plain
// label can open a menu. It never consumes the event: the watched widget still receives it.
class QAWMouseEventSignaler : public QObject {
    Q_OBJECT
public:
    explicit QAWMouseEventSignaler(QObject* parent);
    ~QAWMouseEventSignaler() override;

    bool IsEnabled() const { return m_enabled; }
    // While disabled, presses are not reported.
    void SetEnabled(bool enabled) { m_enabled = enabled; }

signals:
    void mouseButtonEvent(QMouseEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_enabled = true;
};
