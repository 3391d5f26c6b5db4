#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "host/Attribute.h"
#include "host/AttributeListState.h"
#include "host/Engine.h"
#include "host/Manager.h"
#include "host/NodeGraph.h"
#include "host/QAttributeManager.h"
#include "host/QColorButton.h"
#include "host/QDragSpinner.h"
#include "host/QMultiSlider.h"
#include "host/RefPtr.h"
#include "host/Update.h"
#include "interfaces/AttributesNodeInterface.h"
#include "nodes/attributes/AttributesNode.h"
#include "nodes/attributes/QAddEditAttributeDialog.h"
#include "nodes/attributes/QAttributesWidget.h"
#include "nodes/io/NumberIoNode.h"

namespace {

// Calls `answer` from whatever event loop runs (a modal dialog's or a menu's) until it returns
// true, a bounded number of times, so that a modal exec() in the code under test is answered
// without blocking the test.
class Answerer {
public:
    explicit Answerer(std::function<bool()> answer) : m_answer(std::move(answer)) {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_answer()) {
                m_answered = true;
                m_timer.stop();
            } else if (++m_tries >= kMaxTries) {
                m_timer.stop();
            }
        });
        m_timer.start();
    }
    bool Answered() const { return m_answered; }

private:
    static constexpr int kMaxTries = 2000;
    std::function<bool()> m_answer;
    QTimer m_timer;
    int m_tries = 0;
    bool m_answered = false;
};

// What to type into the dialog; unset fields are left alone.
struct DialogInput {
    DialogInput& Name(const QString& text) { return Set(name, text); }
    DialogInput& Type(int index) { return Set(type, index); }
    DialogInput& Decimals(double value) { return Set(decimals, value); }
    DialogInput& Default(double value) { return Set(default_value, value); }
    DialogInput& Minimum(double value) { return Set(minimum, value); }
    DialogInput& Maximum(double value) { return Set(maximum, value); }
    DialogInput& Step(double value) { return Set(single_step, value); }
    DialogInput& Choices(const QString& text) { return Set(choices, text); }
    DialogInput& Cancel() { return Set(accept, false); }

    template <typename F, typename V>
    DialogInput& Set(F& field, const V& value) {
        field = value;
        return *this;
    }

    std::optional<QString> name;
    std::optional<int> type;
    std::optional<double> decimals;
    std::optional<double> default_value;
    std::optional<double> minimum;
    std::optional<double> maximum;
    std::optional<double> single_step;
    std::optional<QString> choices;
    bool accept = true;
};

// What the dialog looked like when it was answered.
struct DialogSeen {
    QString title;
    int type = -1;
    bool type_enabled = true;
    bool accepted = false;
};

struct MenuSeen {
    bool shown = false;
    QString title;
    std::vector<std::pair<QString, bool>> entries;  // text, enabled
    bool any_checkable = false;
};

void Fill(QAddEditAttributeDialog& dialog, const DialogInput& input) {
    auto spin = [&](const char* name) { return dialog.findChild<QDoubleSpinBox*>(name); };
    if (input.type) {
        dialog.findChild<QComboBox*>("m_type_qcombo")->setCurrentIndex(*input.type);
    }
    if (input.decimals) {
        spin("m_decimals_qspin")->setValue(*input.decimals);
    }
    if (input.default_value) {
        spin("m_default_qspin")->setValue(*input.default_value);
    }
    if (input.minimum) {
        spin("m_minimum_qspin")->setValue(*input.minimum);
    }
    if (input.maximum) {
        spin("m_maximum_qspin")->setValue(*input.maximum);
    }
    if (input.single_step) {
        spin("m_single_step_qspin")->setValue(*input.single_step);
    }
    if (input.choices) {
        dialog.findChild<QLineEdit*>("m_choices_qtext")->setText(*input.choices);
    }
    if (input.name) {
        dialog.findChild<QLineEdit*>("m_name_qtext")->setText(*input.name);
    }
}

// The panel of one Attributes node of the document, made through the node interface.
class QAttributesWidgetTest : public testing::Test {
protected:
    void SetUp() override {
        Engine::Get()->SetDocument(nullptr);
        m_node = new AttributesNode;
        Engine::Get()->GetDocument()->AddNode(m_node.Get());
        m_interface = new AttributesNodeInterface;
    }

    void TearDown() override {
        m_answerers.clear();
        m_panel.reset();
        Update::Get()->FlushEventsToProcess();
        Engine::Get()->SetDocument(nullptr);
        Manager::Get()->SetDisplayNode(nullptr, Manager::kNoOutplug);
    }

    QAttributesWidget* MakePanel() {
        QWidget* widget = m_interface->CreateAttributesWidget(m_node.Get(), nullptr, 0);
        m_panel.reset(qobject_cast<QAttributesWidget*>(widget));
        EXPECT_NE(m_panel, nullptr);
        return m_panel.get();
    }

    // Delivers the events the node queued, as the host's event loop does.
    static void Deliver() {
        Update::Get()->FlushEventsToProcess();
        QCoreApplication::processEvents();
    }

    QPushButton* AddButton() const {
        return m_panel->findChild<QPushButton*>("m_add_attribute_qbutton");
    }

    // Answers the next QAddEditAttributeDialog with `input`: OK when asked for and enabled,
    // otherwise Cancel.
    std::shared_ptr<DialogSeen> AnswerDialog(DialogInput input) {
        auto seen = std::make_shared<DialogSeen>();
        m_answerers.push_back(std::make_unique<Answerer>([seen, input] {
            auto* dialog =
                qobject_cast<QAddEditAttributeDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                return false;
            }
            seen->title = dialog->windowTitle();
            auto* type = dialog->findChild<QComboBox*>("m_type_qcombo");
            seen->type = type->currentIndex();
            seen->type_enabled = type->isEnabled();
            Fill(*dialog, input);
            QPushButton* ok = dialog->findChild<QDialogButtonBox*>("m_ok_cancel_buttons")
                                  ->button(QDialogButtonBox::Ok);
            if (input.accept && ok->isEnabled()) {
                seen->accepted = true;
                ok->click();
            } else {
                dialog->reject();
            }
            return true;
        }));
        return seen;
    }

    // Answers the next question box with `button`; the flag tells whether one was asked.
    std::shared_ptr<bool> AnswerQuestion(QMessageBox::StandardButton button) {
        auto asked = std::make_shared<bool>(false);
        m_answerers.push_back(std::make_unique<Answerer>([asked, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                return false;
            }
            *asked = true;
            box->button(button)->click();
            return true;
        }));
        return asked;
    }

    // Presses `button` on `label` and answers the context menu, if one opens, by choosing the
    // entry `choose` (when it is enabled) or closing it.
    MenuSeen PressName(QLabel* label, Qt::MouseButton button = Qt::RightButton,
                       const QString& choose = {}) {
        auto seen = std::make_shared<MenuSeen>();
        Answerer answerer([seen, choose] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) {
                return false;
            }
            seen->shown = true;
            seen->title = menu->title();
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                seen->entries.emplace_back(action->text(), action->isEnabled());
                seen->any_checkable = seen->any_checkable || action->isCheckable();
                if (action->text() == choose && action->isEnabled()) {
                    chosen = action;
                }
            }
            if (chosen) {
                menu->setActiveAction(chosen);
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                menu->close();
            }
            return true;
        });
        const QPointF position(5, 5);
        QMouseEvent press(QEvent::MouseButtonPress, position, label->mapToGlobal(position), button,
                          button, Qt::NoModifier);
        QCoreApplication::sendEvent(label, &press);
        return *seen;
    }

    // Every attribute's type, in order.
    std::vector<Attribute::Type> Types() const {
        std::vector<Attribute::Type> types;
        for (size_t k = 0; k < m_node->GetNumAttributes(); ++k) {
            types.push_back(m_node->GetAttributeByIndex(k)->GetType());
        }
        return types;
    }

    RefPtr<AttributesNode> m_node;
    RefPtr<AttributesNodeInterface> m_interface;
    std::unique_ptr<QAttributesWidget> m_panel;
    std::vector<std::unique_ptr<Answerer>> m_answerers;
};

void AddOneOfEach(AttributesNode& node) {
    node.AddBooleanAttribute("flag", true);
    node.AddNumberAttribute("gain", 2, 0, 10, 0.5, 1);
    node.AddPointAttribute("centre", {1, 2}, -5, 5, 0.25, 2);
    node.AddFrameAttribute("crop", {0, 0, 8, 8});
    node.AddRgboAttribute("tint", {0, 0, 0, 1});
    node.AddChoiceAttribute("level", "low,mid,high");
    node.AddStringAttribute("label", "hello");
    node.GetAttributeByIndex(5)->SetChoice("mid", false);
}

TEST_F(QAttributesWidgetTest, InterfaceBuildsThePanelOnlyForAnAttributesNodeAndZeroExtra) {
    RefPtr<NumberIoNode> other = new NumberIoNode;
    EXPECT_EQ(m_interface->CreateAttributesWidget(other.Get(), nullptr, 0), nullptr);
    EXPECT_EQ(m_interface->CreateAttributesWidget(m_node.Get(), nullptr, 1), nullptr);
    EXPECT_EQ(m_interface->CreateAttributesWidget(nullptr, nullptr, 0), nullptr);

    QAttributesWidget* panel = MakePanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->objectName(), "QAttributesWidget");
    EXPECT_EQ(panel->windowTitle(), "Form");
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(panel->acceptDrops());
    ASSERT_NE(AddButton(), nullptr);
    EXPECT_EQ(AddButton()->text(), "Add Attribute");
    EXPECT_TRUE(AddButton()->isEnabled());
    auto* form = panel->findChild<QFormLayout*>("m_attributes_qlayout");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->rowCount(), 1);
    EXPECT_TRUE(panel->GetRows().empty());
}

TEST_F(QAttributesWidgetTest, EachTypeGetsItsRowWidgetsAndAManager) {
    AddOneOfEach(*m_node);
    QAttributesWidget* panel = MakePanel();
    const auto& rows = panel->GetRows();
    ASSERT_EQ(rows.size(), 7u);
    ASSERT_EQ(panel->GetManagers().size(), 7u);

    // Which row fields each type uses: check box, line edit, colour button, spacer, spinners
    // 1-4, sliders 1-2, combo box, second label.
    const struct {
        const char* name;
        bool check, line, colour, spacer, spin1, spin2, spin3, spin4, slider1, slider2, combo,
            label2;
    } expected[] = {
        {"flag", 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0},
        {"gain", 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0},
        {"centre", 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0},
        {"crop", 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 1},
        {"tint", 0, 0, 1, 0, 1, 0, 0, 0, 1, 0, 0, 0},
        {"level", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
        {"label", 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (size_t k = 0; k < rows.size(); ++k) {
        const auto& row = rows[k];
        const auto& e = expected[k];
        SCOPED_TRACE(e.name);
        ASSERT_NE(row.m_name_label, nullptr);
        EXPECT_EQ(row.m_name_label->text(), e.name);
        EXPECT_NE(row.m_row_layout, nullptr);
        EXPECT_NE(row.m_signaler, nullptr);
        EXPECT_EQ(row.m_check_box != nullptr, e.check);
        EXPECT_EQ(row.m_line_edit != nullptr, e.line);
        EXPECT_EQ(row.m_color_button != nullptr, e.colour);
        EXPECT_EQ(row.m_spacer != nullptr, e.spacer);
        EXPECT_EQ(row.m_first_spinner != nullptr, e.spin1);
        EXPECT_EQ(row.m_second_spinner != nullptr, e.spin2);
        EXPECT_EQ(row.m_third_spinner != nullptr, e.spin3);
        EXPECT_EQ(row.m_fourth_spinner != nullptr, e.spin4);
        EXPECT_EQ(row.m_slider != nullptr, e.slider1);
        EXPECT_EQ(row.m_second_slider != nullptr, e.slider2);
        EXPECT_EQ(row.m_combo_box != nullptr, e.combo);
        EXPECT_EQ(row.m_second_name_label != nullptr, e.label2);
        EXPECT_EQ(row.m_second_row_layout != nullptr, e.label2);
        if (row.m_second_name_label) {
            EXPECT_EQ(row.m_second_name_label->text(), e.name);
        }

        QAttributeManager* manager = panel->GetManagers()[k];
        ASSERT_NE(manager, nullptr);
        EXPECT_EQ(manager->GetAttributeIndex(), k);
        EXPECT_FALSE(manager->IsExposedAsInput());
    }
    // One form row per attribute, two for the frame, after the column-width row.
    EXPECT_EQ(panel->findChild<QFormLayout*>("m_attributes_qlayout")->rowCount(), 1 + 7 + 1);

    // The managers show the values.
    EXPECT_TRUE(rows[0].m_check_box->isChecked());
    EXPECT_EQ(rows[1].m_first_spinner->value(), 2.0);
    EXPECT_EQ(rows[2].m_second_spinner->value(), 2.0);
    EXPECT_EQ(rows[3].m_third_spinner->value(), 8.0);
    EXPECT_EQ(rows[5].m_combo_box->count(), 3);
    EXPECT_EQ(rows[5].m_combo_box->currentText(), "mid");
    EXPECT_EQ(rows[6].m_line_edit->text(), "hello");
}

// Long names and numbers are not cut, also for rows that arrive later; point and frame fields say
// which component they hold.
TEST_F(QAttributesWidgetTest, NamesAndNumbersShowInFull) {
    m_node->AddNumberAttribute("gain", -12345.6789, -20000, 20000, 1, 4);
    m_node->AddFrameAttribute("crop", {0, 0, 32, 32});
    Deliver();
    QAttributesWidget* panel = MakePanel();
    m_node->AddPointAttribute("roughness_amount", {1, 2}, -5, 5, 1, 0);
    Deliver();
    panel->show();
    QCoreApplication::processEvents();
    for (const auto& row : panel->GetRows()) {
        QLabel* label = row.m_name_label;
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_GE(label->contentsRect().width(),
                  label->fontMetrics().horizontalAdvance(label->text()));
        EXPECT_EQ(label->toolTip(), label->text());
    }
    QDragSpinner* number = panel->GetRows()[0].m_first_spinner;
    auto* text = number->findChild<QLineEdit*>();
    ASSERT_NE(text, nullptr);
    EXPECT_GE(text->width(), number->fontMetrics().horizontalAdvance(number->text()));
    EXPECT_EQ(number->text(), "-12345.6789");
    EXPECT_EQ(panel->GetRows()[1].m_fourth_spinner->prefix(), "h ");
    EXPECT_EQ(panel->GetRows()[2].m_first_spinner->prefix(), "x ");
}

TEST_F(QAttributesWidgetTest, RowsFollowTheNodesReportsOnce) {
    m_node->AddNumberAttribute("early", 0, 0, 1, 1, 0);
    // The panel is built before the report of "early" is delivered: no second row for it.
    QAttributesWidget* panel = MakePanel();
    ASSERT_EQ(panel->GetRows().size(), 1u);
    Deliver();
    EXPECT_EQ(panel->GetRows().size(), 1u);

    m_node->AddStringAttribute("late", "x");
    EXPECT_EQ(panel->GetRows().size(), 1u);
    Deliver();
    ASSERT_EQ(panel->GetRows().size(), 2u);
    EXPECT_EQ(panel->GetRows()[1].m_name_label->text(), "late");
    EXPECT_NE(panel->GetRows()[1].m_line_edit, nullptr);

    // A report from another thread is built on the panel's thread, once its loop runs.
    m_node->AddBooleanAttribute("remote", false);
    std::thread reporter([&] {
        panel->OnNodeEvent(m_node.Get(), NodeEvent{0, kEventAttributeAdded, 2});
    });
    reporter.join();
    EXPECT_EQ(panel->GetRows().size(), 2u);
    QCoreApplication::processEvents();
    ASSERT_EQ(panel->GetRows().size(), 3u);
    EXPECT_EQ(panel->GetRows()[2].m_name_label->text(), "remote");

    // A report for an index that does not exist builds nothing.
    panel->OnNodeEvent(m_node.Get(), NodeEvent{0, kEventAttributeAdded, 7});
    EXPECT_EQ(panel->GetRows().size(), 3u);
    Deliver();
    EXPECT_EQ(panel->GetRows().size(), 3u);
    EXPECT_EQ(panel->GetManagers().size(), 3u);
}

TEST_F(QAttributesWidgetTest, TwentyFiveAttributesDisableAddingAndDuplicating) {
    for (int k = 0; k < 24; ++k) {
        m_node->AddNumberAttribute("n" + std::to_string(k), 0, 0, 1, 1, 0);
    }
    Deliver();
    QAttributesWidget* panel = MakePanel();
    EXPECT_TRUE(AddButton()->isEnabled());
    MenuSeen menu = PressName(panel->GetRows()[0].m_name_label);
    ASSERT_TRUE(menu.shown);
    ASSERT_EQ(menu.entries.size(), 5u);
    EXPECT_EQ(menu.entries[1].first, "Duplicate Attribute");

    m_node->AddNumberAttribute("n24", 0, 0, 1, 1, 0);
    Deliver();
    ASSERT_EQ(panel->GetRows().size(), 25u);
    EXPECT_FALSE(AddButton()->isEnabled());
    menu = PressName(panel->GetRows()[24].m_name_label);
    ASSERT_TRUE(menu.shown);
    EXPECT_EQ(menu.entries, (std::vector<std::pair<QString, bool>>{{"Edit Attribute", true},
                                                                   {"Rename Attribute...", true},
                                                                   {"Reset to Default", true},
                                                                   {"Delete Attribute", true}}));

    // More than the limit (read from a definition file, say): every row is shown.
    m_panel.reset();
    m_node->AddNumberAttribute("n25", 0, 0, 1, 1, 0);
    m_node->AddNumberAttribute("n26", 0, 0, 1, 1, 0);
    Deliver();
    panel = MakePanel();
    EXPECT_EQ(panel->GetRows().size(), 27u);
    EXPECT_FALSE(AddButton()->isEnabled());
    menu = PressName(panel->GetRows()[26].m_name_label);
    EXPECT_EQ(menu.entries.size(), 4u);
}

TEST_F(QAttributesWidgetTest, ContextMenuEntriesDependOnTheType) {
    AddOneOfEach(*m_node);
    Deliver();
    QAttributesWidget* panel = MakePanel();
    const bool editable[] = {false, true, true, true, false, true, false};
    for (size_t k = 0; k < 7; ++k) {
        SCOPED_TRACE(panel->GetRows()[k].m_name_label->text().toStdString());
        // Any button opens the menu.
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            MenuSeen menu = PressName(panel->GetRows()[k].m_name_label, button);
            ASSERT_TRUE(menu.shown) << button;
            EXPECT_EQ(menu.title, "Context menu");
            EXPECT_FALSE(menu.any_checkable);
            EXPECT_EQ(menu.entries,
                      (std::vector<std::pair<QString, bool>>{{"Edit Attribute", editable[k]},
                                                             {"Duplicate Attribute", editable[k]},
                                                             {"Rename Attribute...", true},
                                                             {"Reset to Default", true},
                                                             {"Delete Attribute", true}}));
        }
    }
    // The frame's second label opens no menu.
    EXPECT_FALSE(PressName(panel->GetRows()[3].m_second_name_label).shown);
    // Releases and other events on a name do not either.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    Answerer none([] { return QApplication::activePopupWidget() != nullptr; });
    QCoreApplication::sendEvent(panel->GetRows()[1].m_name_label, &release);
    QCoreApplication::processEvents();
    EXPECT_FALSE(none.Answered());
}

TEST_F(QAttributesWidgetTest, AddCreatesTheAttributeTheDialogDescribes) {
    const struct {
        int type;
        std::function<void(const Attribute&)> check;
    } cases[] = {
        {Attribute::BOOLEAN, [](const Attribute& a) { EXPECT_TRUE(a.GetBoolean()); }},
        {Attribute::NUMBER,
         [](const Attribute& a) {
             // Minimum 10 above maximum 5: the default becomes the minimum.
             EXPECT_EQ(a.GetNumber(), 10.0);
             EXPECT_EQ(a.m_default[0], 10.0);
             EXPECT_EQ(a.GetMinimum(), 10.0);
             EXPECT_EQ(a.GetMaximum(), 5.0);
             EXPECT_EQ(a.GetSingleStep(), 0.25);
             EXPECT_EQ(a.GetDecimals(), 2);
         }},
        {Attribute::POINT,
         [](const Attribute& a) {
             EXPECT_EQ(a.GetPoint(), (Point{10, 10}));
             EXPECT_EQ(a.GetDecimals(), 2);
             EXPECT_EQ(a.GetSingleStep(), 0.25);
         }},
        {Attribute::FRAME,
         [](const Attribute& a) {
             EXPECT_EQ(a.GetFrame(), (Frame{0, 0, 10, 10}));
         }},
        {Attribute::RGBO,
         [](const Attribute& a) {
             EXPECT_EQ(a.GetRgbo(), (Rgbo{0, 0, 0, 0}));
         }},
        {Attribute::CHOICE,
         [](const Attribute& a) {
             EXPECT_EQ(a.GetChoiceNames(), (std::vector<std::string>{"red", "green", "blue"}));
         }},
        {Attribute::STRING, [](const Attribute& a) { EXPECT_EQ(a.GetString(), ""); }},
    };
    QAttributesWidget* panel = MakePanel();
    size_t count = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const QString name = QString("added%1").arg(c.type);
        auto seen = AnswerDialog(DialogInput()
                                     .Name(name)
                                     .Type(c.type)
                                     .Decimals(2)
                                     .Default(7)
                                     .Minimum(10)
                                     .Maximum(5)
                                     .Step(0.25)
                                     .Choices("red,green,blue"));
        AddButton()->click();
        EXPECT_EQ(seen->title, "Add Attribute");
        ASSERT_TRUE(seen->accepted);
        ASSERT_EQ(m_node->GetNumAttributes(), ++count);
        const Attribute& attribute = *m_node->GetAttributeByIndex(count - 1);
        EXPECT_EQ(attribute.GetName(), name.toStdString());
        ASSERT_EQ(int(attribute.GetType()), c.type);
        c.check(attribute);

        // The row arrives with the node's report, delivered from the event loop.
        QCoreApplication::processEvents();
        ASSERT_EQ(panel->GetRows().size(), count);
        EXPECT_EQ(panel->GetRows().back().m_name_label->text(), name);
    }

    // A cancelled dialog adds nothing; the name just used is refused.
    auto cancelled = AnswerDialog(DialogInput().Name("fresh").Cancel());
    AddButton()->click();
    EXPECT_FALSE(cancelled->accepted);
    auto refused = AnswerDialog(DialogInput().Name("ADDED1"));
    AddButton()->click();
    EXPECT_FALSE(refused->accepted);
    Deliver();
    EXPECT_EQ(m_node->GetNumAttributes(), count);
    EXPECT_EQ(panel->GetRows().size(), count);
    EXPECT_TRUE(AddButton()->isEnabled());
}

TEST_F(QAttributesWidgetTest, EditChangesTheDefinitionInPlace) {
    m_node->AddNumberAttribute("gain", 2, 0, 100, 1, 0);
    m_node->AddPointAttribute("centre", {1, 2}, -5, 5, 1, 0);
    m_node->AddFrameAttribute("crop", {1, 2, 30, 40});
    m_node->AddChoiceAttribute("level", "low,mid,high");
    m_node->GetAttributeByIndex(0)->SetNumber(50, false);
    m_node->GetAttributeByIndex(3)->SetChoice("mid", false);
    Deliver();
    QAttributesWidget* panel = MakePanel();
    const auto& rows = panel->GetRows();

    // Number: the limits change, the current value outside them is re-applied as it is, and no
    // change is reported.
    auto seen = AnswerDialog(DialogInput().Decimals(1).Default(3).Minimum(0).Maximum(10));
    PressName(rows[0].m_name_label, Qt::RightButton, "Edit Attribute");
    EXPECT_EQ(seen->title, "Edit Attribute");
    EXPECT_FALSE(seen->type_enabled);
    ASSERT_TRUE(seen->accepted);
    const Attribute& gain = *m_node->GetAttributeByIndex(0);
    EXPECT_EQ(gain.GetName(), "gain");
    EXPECT_EQ(gain.GetMaximum(), 10.0);
    EXPECT_EQ(gain.GetMinimum(), 0.0);
    EXPECT_EQ(gain.GetDecimals(), 1);
    EXPECT_EQ(gain.GetSingleStep(), 0.1);
    EXPECT_EQ(gain.m_default[0], 3.0);
    EXPECT_EQ(gain.GetNumber(), 50.0);
    EXPECT_EQ(Update::Get()->GetNumPending(), 0u);
    EXPECT_EQ(rows[0].m_first_spinner->decimals(), 1);

    // Point and frame: the clamped default in their arrangement, values kept.
    seen = AnswerDialog(DialogInput().Default(20).Minimum(-4).Maximum(4));
    PressName(rows[1].m_name_label, Qt::LeftButton, "Edit Attribute");
    ASSERT_TRUE(seen->accepted);
    const Attribute& centre = *m_node->GetAttributeByIndex(1);
    EXPECT_EQ(centre.m_default[0], 4.0);
    EXPECT_EQ(centre.m_default[1], 4.0);
    EXPECT_EQ(centre.GetPoint(), (Point{1, 2}));
    EXPECT_EQ(centre.GetMinimum(), -4.0);

    seen = AnswerDialog(DialogInput().Default(6).Minimum(0).Maximum(100));
    PressName(rows[2].m_name_label, Qt::RightButton, "Edit Attribute");
    ASSERT_TRUE(seen->accepted);
    const Attribute& crop = *m_node->GetAttributeByIndex(2);
    EXPECT_EQ(crop.m_default[0], 0.0);
    EXPECT_EQ(crop.m_default[1], 0.0);
    EXPECT_EQ(crop.m_default[2], 6.0);
    EXPECT_EQ(crop.m_default[3], 6.0);
    EXPECT_EQ(crop.GetFrame(), (Frame{1, 2, 30, 40}));

    // Choice: new names, the selection kept by name, the combo box refreshed.
    seen = AnswerDialog(DialogInput().Choices("mid,top"));
    PressName(rows[3].m_name_label, Qt::RightButton, "Edit Attribute");
    ASSERT_TRUE(seen->accepted);
    const Attribute& level = *m_node->GetAttributeByIndex(3);
    EXPECT_EQ(level.GetChoiceNames(), (std::vector<std::string>{"mid", "top"}));
    EXPECT_EQ(level.GetChoice(), "mid");
    EXPECT_EQ(rows[3].m_combo_box->count(), 2);

    // Cancel changes nothing.
    seen = AnswerDialog(DialogInput().Decimals(4).Minimum(-50).Maximum(50).Cancel());
    PressName(rows[0].m_name_label, Qt::RightButton, "Edit Attribute");
    EXPECT_FALSE(seen->accepted);
    EXPECT_EQ(gain.GetDecimals(), 1);
    EXPECT_EQ(gain.GetMaximum(), 10.0);
    EXPECT_EQ(m_node->GetNumAttributes(), 4u);
}

// OK without a change keeps every definition bit for bit, whatever the boxes can show; a duplicate
// copies the definition exactly.
TEST_F(QAttributesWidgetTest, EditAndDuplicateWithoutChangesLoseNothing) {
    const double infinity = std::numeric_limits<double>::infinity();
    m_node->AddNumberAttribute("roughness", 0.6, 0, 1, 0.01, 0);
    m_node->AddNumberAttribute("contrast", 1.2, -infinity, infinity, 0.1, 0);
    m_node->AddNumberAttribute("third", 1.0 / 3, -12345.6789, 2e7, 1e-7, 2);
    m_node->AddPointAttribute("centre", {1.5, -2.25}, -5, 5, 0.25, 2);
    m_node->AddFrameAttribute("crop", {0, 0, 32, 32});
    m_node->AddChoiceAttribute("speed", "fast,slow");
    Deliver();
    QAttributesWidget* panel = MakePanel();
    const size_t count = m_node->GetNumAttributes();
    const AttributeListState before = AttributeListState::Capture(*m_node);
    for (size_t k = 0; k < count; ++k) {
        SCOPED_TRACE(m_node->GetAttributeByIndex(k)->GetName());
        auto seen = AnswerDialog(DialogInput());
        PressName(panel->GetRows()[k].m_name_label, Qt::RightButton, "Edit Attribute");
        EXPECT_TRUE(seen->accepted);
        EXPECT_TRUE(AttributeListState::Capture(*m_node) == before);
    }
    for (size_t k = 0; k < count; ++k) {
        const Attribute& source = *m_node->GetAttributeByIndex(k);
        SCOPED_TRACE(source.GetName());
        auto seen = AnswerDialog(DialogInput().Name(QString("copy%1").arg(k)));
        PressName(panel->GetRows()[k].m_name_label, Qt::RightButton, "Duplicate Attribute");
        ASSERT_TRUE(seen->accepted);
        const Attribute& copy = *m_node->GetAttributeByIndex(m_node->GetNumAttributes() - 1);
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(copy.m_default[c], source.m_default[c]) << c;
        }
        if (source.GetType() != Attribute::FRAME) {
            EXPECT_EQ(copy.GetMinimum(), source.GetMinimum());
            EXPECT_EQ(copy.GetMaximum(), source.GetMaximum());
            EXPECT_EQ(copy.GetSingleStep(), source.GetSingleStep());
            EXPECT_EQ(copy.GetDecimals(), source.GetDecimals());
        }
        EXPECT_EQ(copy.GetChoiceNames(), source.GetChoiceNames());
    }
    // Empty choices between commas are ignored.
    auto seen = AnswerDialog(DialogInput().Choices("fast,slow,"));
    PressName(panel->GetRows()[5].m_name_label, Qt::RightButton, "Edit Attribute");
    EXPECT_EQ(m_node->GetAttributeByIndex(5)->GetChoiceNames(),
              (std::vector<std::string>{"fast", "slow"}));
}

// The value, the place in the list and every connection follow the new name; a name in use is
// refused as in the dialog.
TEST_F(QAttributesWidgetTest, RenameKeepsValuePlaceAndConnections) {
    m_node->AddNumberAttribute("first", 1, 0, 10, 1, 0);
    m_node->AddNumberAttribute("gain", 2, 0, 10, 0.5, 1);
    m_node->AddStringAttribute("last", "x");
    m_node->GetAttributeByIndex(1)->SetNumber(7, false);
    RefPtr<AttributesNode> source(new AttributesNode);
    source->AddNumberAttribute("feed", 3, 0, 10, 1, 0);
    RefPtr<NumberIoNode> output(new NumberIoNode);
    NodeGraph& graph = *Engine::Get()->GetDocument();
    graph.AddNode(source.Get());
    graph.AddNode(output.Get());
    ASSERT_TRUE(graph.ConnectNodes(m_node.Get(), "gain", 0, output.Get(), "number", 0));
    ASSERT_TRUE(graph.ConnectNodes(source.Get(), "feed", 0, m_node.Get(), "gain", 0));
    Deliver();
    QAttributesWidget* panel = MakePanel();

    auto seen = AnswerDialog(DialogInput().Name("first"));
    PressName(panel->GetRows()[1].m_name_label, Qt::RightButton, "Rename Attribute...");
    EXPECT_FALSE(seen->accepted);
    EXPECT_EQ(m_node->GetAttributeByIndex(1)->GetName(), "gain");

    seen = AnswerDialog(DialogInput().Name("level"));
    PressName(panel->GetRows()[1].m_name_label, Qt::RightButton, "Rename Attribute...");
    ASSERT_TRUE(seen->accepted);
    EXPECT_EQ(seen->title, "Rename Attribute");
    ASSERT_EQ(m_node->GetNumAttributes(), 3u);
    EXPECT_EQ(m_node->GetAttributeByIndex(0)->GetName(), "first");
    const Attribute& level = *m_node->GetAttributeByIndex(1);
    EXPECT_EQ(level.GetName(), "level");
    EXPECT_EQ(level.GetNumber(), 7.0);
    EXPECT_EQ(level.GetDecimals(), 1);
    EXPECT_EQ(level.GetSingleStep(), 0.5);
    EXPECT_EQ(m_node->GetAttributeByIndex(2)->GetString(), "x");
    const uint32_t in = output->FindInplug("number");
    EXPECT_EQ(output->GetInplugNode(in), m_node.Get());
    EXPECT_EQ(m_node->GetOutplugName(output->GetInplugNodeOutplug(in)), "level");
    const uint32_t fed = m_node->FindInplug("level");
    ASSERT_NE(fed, Node::kNone);
    EXPECT_EQ(m_node->GetInplugNode(fed), source.Get());
    // The rows no longer match: the host builds a new panel.
    EXPECT_FALSE(AddButton()->isEnabled());
}

TEST_F(QAttributesWidgetTest, DuplicateAddsAnAttributeOfTheSourceType) {
    m_node->AddNumberAttribute("gain", 2, 0, 100, 1, 0);
    m_node->AddChoiceAttribute("level", "low,mid,high");
    Deliver();
    QAttributesWidget* panel = MakePanel();

    // The type list is locked to the source's type; the rest comes from the dialog.
    auto seen = AnswerDialog(DialogInput()
                                 .Name("gain2")
                                 .Type(Attribute::STRING)
                                 .Decimals(2)
                                 .Default(150)
                                 .Minimum(0)
                                 .Maximum(120)
                                 .Step(0.5));
    PressName(panel->GetRows()[0].m_name_label, Qt::RightButton, "Duplicate Attribute");
    EXPECT_EQ(seen->title, "Duplicate Attribute");
    EXPECT_EQ(seen->type, int(Attribute::NUMBER));
    ASSERT_TRUE(seen->accepted);
    ASSERT_EQ(Types(), (std::vector<Attribute::Type>{Attribute::NUMBER, Attribute::CHOICE,
                                                     Attribute::NUMBER}));
    const Attribute& copy = *m_node->GetAttributeByIndex(2);
    EXPECT_EQ(copy.GetName(), "gain2");
    EXPECT_EQ(copy.GetNumber(), 120.0);
    EXPECT_EQ(copy.GetMaximum(), 120.0);
    EXPECT_EQ(copy.GetSingleStep(), 0.5);
    EXPECT_EQ(copy.GetDecimals(), 2);

    seen = AnswerDialog(DialogInput().Name("level2").Choices("a,b"));
    PressName(panel->GetRows()[1].m_name_label, Qt::RightButton, "Duplicate Attribute");
    ASSERT_TRUE(seen->accepted);
    ASSERT_EQ(m_node->GetNumAttributes(), 4u);
    EXPECT_EQ(m_node->GetAttributeByIndex(3)->GetType(), Attribute::CHOICE);
    EXPECT_EQ(m_node->GetAttributeByIndex(3)->GetChoiceNames(),
              (std::vector<std::string>{"a", "b"}));

    Deliver();
    ASSERT_EQ(panel->GetRows().size(), 4u);
    EXPECT_EQ(panel->GetRows()[3].m_name_label->text(), "level2");

    // Cancel adds nothing.
    seen = AnswerDialog(DialogInput().Name("gain3").Cancel());
    PressName(panel->GetRows()[0].m_name_label, Qt::RightButton, "Duplicate Attribute");
    EXPECT_FALSE(seen->accepted);
    Deliver();
    EXPECT_EQ(m_node->GetNumAttributes(), 4u);
    EXPECT_EQ(panel->GetRows().size(), 4u);
}

TEST_F(QAttributesWidgetTest, DeleteRemovesTheAttributeAndLeavesThePanelInert) {
    m_node->AddNumberAttribute("gain", 2, 0, 100, 1, 0);
    m_node->AddFrameAttribute("crop", {1, 2, 30, 40});
    m_node->AddStringAttribute("label", "x");
    Deliver();
    Manager::Get()->SetDisplayNode(m_node.Get(), 1);
    QAttributesWidget* panel = MakePanel();

    // Cancelling the question keeps the attribute; the frame's first label opens the menu.
    auto answered = AnswerQuestion(QMessageBox::Cancel);
    PressName(panel->GetRows()[1].m_name_label, Qt::RightButton, "Delete Attribute");
    EXPECT_TRUE(*answered);
    ASSERT_EQ(m_node->GetNumAttributes(), 3u);
    EXPECT_TRUE(AddButton()->isEnabled());
    answered = AnswerQuestion(QMessageBox::Yes);
    PressName(panel->GetRows()[1].m_name_label, Qt::RightButton, "Delete Attribute");
    EXPECT_TRUE(*answered);
    ASSERT_EQ(m_node->GetNumAttributes(), 2u);
    EXPECT_EQ(m_node->GetAttributeByIndex(0)->GetName(), "gain");
    EXPECT_EQ(m_node->GetAttributeByIndex(1)->GetName(), "label");
    EXPECT_EQ(Manager::Get()->GetDisplayNode(), nullptr);
    EXPECT_EQ(Manager::Get()->GetDisplayOutplug(), 0xFFFFFFFFu);

    Deliver();
    EXPECT_FALSE(AddButton()->isEnabled());
    ASSERT_EQ(panel->GetRows().size(), 3u);
    for (const auto& row : panel->GetRows()) {
        SCOPED_TRACE(row.m_name_label->text().toStdString());
        for (QWidget* widget : std::initializer_list<QWidget*>{
                 row.m_name_label, row.m_line_edit, row.m_first_spinner, row.m_second_spinner,
                 row.m_slider, row.m_second_name_label, row.m_third_spinner, row.m_fourth_spinner,
                 row.m_second_slider}) {
            if (widget) {
                EXPECT_FALSE(widget->isEnabled()) << widget->metaObject()->className();
            }
        }
        EXPECT_FALSE(PressName(row.m_name_label).shown);
    }

    // Later reports do not bring the panel back.
    m_node->AddBooleanAttribute("again", true);
    Deliver();
    EXPECT_FALSE(AddButton()->isEnabled());
}

}  // namespace
