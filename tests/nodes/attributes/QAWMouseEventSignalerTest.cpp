#include <gtest/gtest.h>

#include <vector>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

#include "nodes/attributes/QAWMouseEventSignaler.h"

namespace {

void Send(QObject* target, QEvent::Type type, Qt::MouseButton button) {
    const QPointF position(3, 3);
    QMouseEvent event(type, position, position, button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Presses are reported, and every event still reaches the widget: the button sees its click.
TEST(QAWMouseEventSignaler, ReportsPressesOnWidgetsWithoutConsumingThem) {
    QPushButton button;
    QAWMouseEventSignaler signaler(&button);
    button.installEventFilter(&signaler);
    std::vector<Qt::MouseButton> reported;
    QObject::connect(&signaler, &QAWMouseEventSignaler::mouseButtonEvent,
                     [&](QMouseEvent* event) { reported.push_back(event->button()); });
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });

    Send(&button, QEvent::MouseButtonPress, Qt::LeftButton);
    Send(&button, QEvent::MouseButtonRelease, Qt::LeftButton);
    Send(&button, QEvent::MouseButtonPress, Qt::RightButton);
    Send(&button, QEvent::MouseButtonDblClick, Qt::LeftButton);
    Send(&button, QEvent::MouseMove, Qt::NoButton);
    EXPECT_EQ(reported, (std::vector<Qt::MouseButton>{Qt::LeftButton, Qt::RightButton}));
    EXPECT_EQ(clicks, 1);

    signaler.SetEnabled(false);
    Send(&button, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(reported.size(), 2u);
}

}  // namespace
