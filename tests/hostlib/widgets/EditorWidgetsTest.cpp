#include <cmath>
#include <limits>

#include <QColorDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "host/QColorButton.h"
#include "host/QDragSpinner.h"
#include "host/QMultiSlider.h"

TEST(QMultiSlider, ClampsValuesAndSwapsRangesSilently) {
    QMultiSlider slider(nullptr, 2);
    QSignalSpy changed(&slider, &QMultiSlider::ValueChangedSignal);
    slider.SetRange(10.0, -10.0);
    EXPECT_EQ(slider.GetMinimum(), -10.0);
    EXPECT_EQ(slider.GetMaximum(), 10.0);
    struct Case {
        int handle;
        double value;
        double expected;
    };
    const Case cases[] = {{0, 3.5, 3.5}, {0, 50.0, 10.0}, {1, -11.0, -10.0}, {1, 0.0, 0.0}};
    for (const Case& c : cases) {
        slider.SetValue(c.handle, c.value);
        EXPECT_EQ(slider.GetValue(c.handle), c.expected) << c.value;
    }
    slider.SetValue(5, 1.0);  // no such handle
    slider.SetValue(1, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(slider.GetValue(1), 0.0);
    EXPECT_EQ(slider.GetValue(-1), 0.0);
    slider.SetRange(2.0, 5.0);  // both values fall outside
    EXPECT_EQ(slider.GetValue(0), 5.0);
    EXPECT_EQ(slider.GetValue(1), 2.0);
    slider.SetRange(0.0, std::numeric_limits<double>::infinity());
    EXPECT_EQ(slider.GetMaximum(), 5.0) << "a range that is not finite is refused";
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(QMultiSlider(nullptr, 0).GetNumHandles(), 1);
}

TEST(QMultiSlider, ClicksAndDragsMoveTheNearestHandle) {
    QMultiSlider slider(nullptr, 2);
    slider.setFixedSize(109, 22);  // a 100-pixel track from x = 4
    slider.SetRange(0.0, 100.0);
    slider.SetValue(1, 100.0);
    QSignalSpy changed(&slider, &QMultiSlider::ValueChangedSignal);

    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(4 + 30, 11));
    EXPECT_EQ(slider.GetValue(0), 30.0);
    EXPECT_EQ(slider.GetValue(1), 100.0);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.front().at(0).toInt(), 0);
    EXPECT_EQ(changed.front().at(1).toDouble(), 30.0);

    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(4 + 80, 11));
    EXPECT_EQ(slider.GetValue(1), 80.0);
    EXPECT_EQ(slider.GetValue(0), 30.0);

    // Dragging handle 0 past handle 1 and beyond the end of the track.
    changed.clear();
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(4 + 31, 11));
    QTest::mouseMove(&slider, QPoint(4 + 90, 11));
    QTest::mouseMove(&slider, QPoint(400, 11));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(400, 11));
    EXPECT_EQ(slider.GetValue(0), 100.0);
    EXPECT_EQ(slider.GetValue(1), 80.0);
    EXPECT_EQ(changed.count(), 3);  // 31, 90, 100
    EXPECT_EQ(changed.last().at(0).toInt(), 0);

    // Right clicks and moves without a press change nothing.
    changed.clear();
    QTest::mouseClick(&slider, Qt::RightButton, {}, QPoint(4 + 10, 11));
    QTest::mouseMove(&slider, QPoint(4 + 20, 11));
    EXPECT_EQ(changed.count(), 0);
}

TEST(QDragSpinner, DraggingStepsTheValueAndTypingStillWorks) {
    QDragSpinner spinner;
    spinner.setRange(0.0, 20.0);
    spinner.setDecimals(1);
    spinner.setSingleStep(0.5);
    spinner.setValue(10.0);
    spinner.resize(60, 22);
    QSignalSpy changed(&spinner, &QDoubleSpinBox::valueChanged);
    QLineEdit* field = spinner.findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    constexpr int step = QDragSpinner::kPixelsPerStep;

    QTest::mousePress(field, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(field, QPoint(20 + step - 1, 10));
    EXPECT_EQ(spinner.value(), 10.0) << "less than a step of travel";
    QTest::mouseMove(field, QPoint(20 + 3 * step, 10));
    EXPECT_EQ(spinner.value(), 11.5);
    EXPECT_EQ(changed.count(), 3) << "one signal per step";
    QTest::mouseMove(field, QPoint(20 - 2 * step, 10));
    EXPECT_EQ(spinner.value(), 9.0);
    QTest::mouseMove(field, QPoint(20, 10 - 2 * step));
    EXPECT_EQ(spinner.value(), 11.0) << "up increases too";
    QTest::mouseMove(field, QPoint(20 + 100 * step, 10));
    EXPECT_EQ(spinner.value(), 20.0) << "clamped to the maximum";
    QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(20 + 100 * step, 10));

    // After the release moving changes nothing; typing replaces the value.
    changed.clear();
    QTest::mouseMove(field, QPoint(0, 10));
    EXPECT_EQ(changed.count(), 0);
    field->selectAll();
    QTest::keyClicks(field, "3.5");
    EXPECT_EQ(spinner.value(), 3.5);
}

TEST(QColorButton, ChoosingAColourInTheDialogEmitsIt) {
    QColorButton button;
    QSignalSpy changed(&button, &QColorButton::ColorChangedSignal);
    button.SetColor(QColor(0, 0, 255));
    EXPECT_EQ(button.GetColor(), QColor(0, 0, 255));
    EXPECT_EQ(changed.count(), 0);

    // Answer the modal dialog from the event loop it runs.
    auto answer = [&button](bool accept) {
        QTimer::singleShot(0, &button, [&button, accept] {
            auto* dialog = button.findChild<QColorDialog*>();
            ASSERT_NE(dialog, nullptr);
            dialog->setCurrentColor(QColor(255, 128, 0));
            accept ? dialog->accept() : dialog->reject();
        });
    };
    answer(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(button.GetColor(), QColor(0, 0, 255));
    EXPECT_EQ(changed.count(), 0);

    answer(true);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(button.GetColor(), QColor(255, 128, 0));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.front().at(0).value<QColor>(), QColor(255, 128, 0));
}
