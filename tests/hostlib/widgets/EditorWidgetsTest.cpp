#include <limits>
#include <vector>

#include <QColorDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "host/QColorButton.h"
#include "host/QDragSpinner.h"
#include "host/QMultiSlider.h"

// The panels build one-handle sliders; the attribute manager's tests click them.
TEST(QMultiSlider, ClampsSilentlyAndFollowsDrags) {
    QMultiSlider slider(nullptr, 1);
    slider.setFixedSize(109, 22);  // a 100-pixel track from x = 4
    QSignalSpy changed(&slider, &QMultiSlider::ValueChangedSignal);
    slider.SetRange(10.0, -10.0);
    std::vector<double> values;
    for (double value : {3.5, 50.0, -11.0, std::numeric_limits<double>::quiet_NaN()}) {
        slider.SetValue(0, value);
        values.push_back(slider.GetValue(0));
    }
    slider.SetRange(2.0, 5.0);
    values.push_back(slider.GetValue(0));
    slider.SetRange(0.0, std::numeric_limits<double>::infinity());  // refused: not finite
    values.push_back(slider.GetMaximum());
    EXPECT_EQ(values, (std::vector<double>{3.5, 10, -10, -10, 2, 5}));
    EXPECT_EQ(slider.GetValue(-1) + slider.GetValue(1), 0.0) << "no such handle";
    EXPECT_EQ(changed.count(), 0);

    slider.SetRange(0.0, 100.0);
    // Dragging beyond the end of the track; right clicks and moves without a press do nothing.
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(4 + 31, 11));
    QTest::mouseMove(&slider, QPoint(4 + 90, 11));
    QTest::mouseMove(&slider, QPoint(400, 11));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(400, 11));
    QTest::mouseClick(&slider, Qt::RightButton, {}, QPoint(4 + 10, 11));
    QTest::mouseMove(&slider, QPoint(4 + 20, 11));
    EXPECT_EQ(slider.GetValue(0), 100.0);
    EXPECT_EQ(changed.count(), 3);  // 31, 90, 100
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

    // Less than a step of travel, right, left, up (which increases too), far beyond the maximum.
    QTest::mousePress(field, Qt::LeftButton, {}, QPoint(20, 10));
    std::vector<double> values;
    for (QPoint to :
         {QPoint(20 + step - 1, 10), QPoint(20 + 3 * step, 10), QPoint(20 - 2 * step, 10),
          QPoint(20, 10 - 2 * step), QPoint(20 + 100 * step, 10)}) {
        QTest::mouseMove(field, to);
        values.push_back(spinner.value());
    }
    EXPECT_EQ(values, (std::vector<double>{10, 11.5, 9, 11, 20}));
    EXPECT_EQ(changed.count(), 3 + 5 + 4 + 18) << "one signal per step";
    QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(20 + 100 * step, 10));
    // After the release moving changes nothing; typing replaces the value.
    QTest::mouseMove(field, QPoint(0, 10));
    EXPECT_EQ(spinner.value(), 20.0);
    field->selectAll();
    QTest::keyClicks(field, "3.5");
    EXPECT_EQ(spinner.value(), 3.5);
}

TEST(QColorButton, ChoosingAColourInTheDialogEmitsIt) {
    QColorButton button;
    QSignalSpy changed(&button, &QColorButton::ColorChangedSignal);
    button.SetColor(QColor(0, 0, 255));
    // Cancelled, then accepted; the dialog is answered from the event loop it runs.
    for (bool accept : {false, true}) {
        QTimer::singleShot(0, &button, [&button, accept] {
            auto* dialog = button.findChild<QColorDialog*>();
            ASSERT_NE(dialog, nullptr);
            dialog->setCurrentColor(QColor(255, 128, 0));
            accept ? dialog->accept() : dialog->reject();
        });
        QTest::mouseClick(&button, Qt::LeftButton);
        EXPECT_EQ(button.GetColor(), accept ? QColor(255, 128, 0) : QColor(0, 0, 255));
    }
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.front().at(0).value<QColor>(), QColor(255, 128, 0));
}
