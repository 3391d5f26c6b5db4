#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <QObject>
#include <QPointer>

class QEvent;
class QWidget;

// Holds the user's input to a window while an evaluation runs, so that nothing edits the graph
// under it: presses, keys and wheel turns to the window's widgets (except those let through) are
// kept, the first of them reported, and all delivered in order once the hold ends.
class InputHold : public QObject {
    Q_OBJECT
public:
    explicit InputHold(QWidget* window);
    ~InputHold() override;

    // Input to these widgets and their children passes: they edit nothing.
    void LetThrough(QWidget* widget);

    void Begin();
    // Delivers what was held, after the events already queued.
    void End();

signals:
    // The first input held since Begin.
    void InputHeld();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsHeldTarget(QWidget* widget) const;

    QWidget* m_window;
    std::vector<QPointer<QWidget>> m_let_through;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> m_held;
    bool m_active = false;
};
