#include <gtest/gtest.h>

#include <climits>
#include <cmath>
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
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "host/Attribute.h"
#include "host/AttributeListState.h"
#include "host/Engine.h"
#include "host/Manager.h"
#include "host/NodeGraph.h"
#include "host/QAttributeManager.h"
#include "host/QDragSpinner.h"
#include "host/QMultiSlider.h"
#include "host/RefPtr.h"
#include "host/Update.h"
#include "interfaces/AttributesNodeInterface.h"
#include "nodes/attributes/AttributesNode.h"
#include "nodes/attributes/QAttributesWidget.h"
#include "nodes/io/NumberIoNode.h"
#include "tests/nodes/attributes/AttributesTestHelpers.h"

namespace {

using Fill = std::function<void(DialogFields&)>;
using Entries = std::vector<std::pair<QString, bool>>;  // text, enabled

const QString kEdit = "Edit Attribute";
const QString kDuplicate = "Duplicate Attribute";
const QString kRename = "Rename Attribute...";
const QString kReset = "Reset to Default";
const QString kDelete = "Delete Attribute";

// Answers the next menu or modal dialog of type T from the event loop its exec() runs.
template <typename T>
std::unique_ptr<QTimer> Answer(std::function<void(T&)> answer) {
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [timer = timer.get(), answer] {
        QWidget* popup = QApplication::activePopupWidget();
        if (auto* widget = qobject_cast<T*>(popup ? popup : QApplication::activeModalWidget())) {
            timer->stop();
            answer(*widget);
        }
    });
    timer->start(0);
    return timer;
}

// Presses `button` on `label` and answers the menu, if one opens, by choosing the enabled entry
// `choose` or closing it. Returns the menu's entries.
std::optional<Entries> PressName(QLabel* label, const QString& choose = {},
                                 Qt::MouseButton button = Qt::RightButton) {
    std::optional<Entries> seen;
    auto answer = Answer<QMenu>([&](QMenu& menu) {
        seen.emplace();
        QAction* chosen = nullptr;
        for (QAction* action : menu.actions()) {
            seen->emplace_back(action->text(), action->isEnabled());
            chosen = action->text() == choose && action->isEnabled() ? action : chosen;
        }
        chosen ? (menu.setActiveAction(chosen), QTest::keyClick(&menu, Qt::Key_Return))
               : void(menu.close());
    });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)),
                      button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    return seen;
}

// The panel of one Attributes node of the document, made through the node interface.
class QAttributesWidgetTest : public testing::Test {
protected:
    void SetUp() override {
        Engine::Get()->SetDocument(nullptr);
        Engine::Get()->GetDocument()->AddNode(m_node.Get());
    }
    void TearDown() override {
        m_answers.clear();
        m_panel.reset();
        Update::Get()->FlushEventsToProcess();
        Engine::Get()->SetDocument(nullptr);
        Manager::Get()->SetDisplayNode(nullptr, Manager::kNoOutplug);
    }

    QAttributesWidget* MakePanel(bool deliver = true) {
        if (deliver) {
            Deliver();
        }
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
    const Attribute& At(size_t index) const { return *m_node->GetAttributeByIndex(index); }
    const std::vector<QAttributesWidget::AttributeRow>& Rows() const { return m_panel->GetRows(); }

    // Answers the next attribute dialog: `fill`, then OK when `accept` and enabled, else Cancel.
    void AnswerDialog(Fill fill, bool accept = true) {
        m_accepted = false;
        m_answers.push_back(Answer<QAddEditAttributeDialog>([=, this](auto& dialog) {
            DialogFields f(dialog);
            m_title = dialog.windowTitle();
            m_type_shown = f.type->isEnabled() ? -1 : f.type->currentIndex();
            fill(f);
            m_accepted = accept && f.ok->isEnabled();
            m_accepted ? f.ok->click() : dialog.reject();
        }));
    }
    void AnswerQuestion(QMessageBox::StandardButton button) {
        m_answers.push_back(
            Answer<QMessageBox>([button](QMessageBox& box) { box.button(button)->click(); }));
    }
    // Chooses `entry` in the menu of row `row`.
    void Choose(size_t row, const QString& entry) {
        ASSERT_TRUE(PressName(Rows()[row].m_name_label, entry)) << "no menu";
    }

    RefPtr<AttributesNode> m_node = new AttributesNode;
    RefPtr<AttributesNodeInterface> m_interface = new AttributesNodeInterface;
    std::unique_ptr<QAttributesWidget> m_panel;
    std::vector<std::unique_ptr<QTimer>> m_answers;
    bool m_accepted = false;  // by the last dialog answered
    QString m_title;          // of that dialog
    int m_type_shown = -1;    // its type, when the type list was locked
};

TEST_F(QAttributesWidgetTest, PanelShowsEachTypeWithItsMenuAndResetsIt) {
    RefPtr<NumberIoNode> other = new NumberIoNode;
    EXPECT_EQ(m_interface->CreateAttributesWidget(other.Get(), nullptr, 0), nullptr);
    EXPECT_EQ(m_interface->CreateAttributesWidget(m_node.Get(), nullptr, 1), nullptr);
    EXPECT_EQ(m_interface->CreateAttributesWidget(nullptr, nullptr, 0), nullptr);

    AddOneOfEach(*m_node);
    MakePanel();
    const auto& rows = Rows();
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(QString("%1 %2 %3 %4 %5 %6")
                  .arg(rows[0].m_check_box->isChecked())
                  .arg(rows[1].m_first_spinner->value())
                  .arg(rows[2].m_second_spinner->value())
                  .arg(rows[3].m_third_spinner->value())
                  .arg(rows[5].m_combo_box->currentText(), rows[6].m_line_edit->text()),
              "1 5 4 30 mid hello");
    // Only number-like and choice definitions can be edited or duplicated; any button opens it.
    const bool editable[] = {false, true, true, true, false, true, false};
    for (size_t k = 0; k < rows.size(); ++k) {
        SCOPED_TRACE(At(k).GetName());
        EXPECT_EQ(rows[k].m_name_label->text().toStdString(), At(k).GetName());
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            EXPECT_EQ(PressName(rows[k].m_name_label, {}, button),
                      (Entries{{kEdit, editable[k]},
                               {kDuplicate, editable[k]},
                               {kRename, true},
                               {kReset, true},
                               {kDelete, true}}));
        }
    }
    EXPECT_FALSE(PressName(rows[3].m_second_name_label)) << "the frame's second label";

    // Reset takes every type back to its definition's default, with a report.
    const std::string defaults[] = {"0", "2", "1,2", "0,1,8,9", "0.1,0.2,0.3,0.4", "low", ""};
    for (size_t k = 0; k < 7; ++k) {
        Choose(k, kReset);
        EXPECT_EQ(At(k).GetValueText(), defaults[k]);
        EXPECT_GT(Update::Get()->GetNumPending(), 0u) << k;
        Deliver();
    }
}

// Each report builds one row, on the panel's thread; long names and numbers are not cut, also in
// rows that arrive later; point and frame fields say which component they hold.
TEST_F(QAttributesWidgetTest, RowsFollowTheNodesReportsOnceAndShowInFull) {
    m_node->AddNumberAttribute("gain", -12345.6789, -20000, 20000, 1, 4);
    m_node->AddFrameAttribute("crop", {0, 0, 32, 32});
    // The panel is built before the reports of both are delivered: no second rows for them.
    QAttributesWidget* panel = MakePanel(false);
    m_node->AddPointAttribute("roughness_amount", {1, 2}, -5, 5, 1, 0);
    EXPECT_EQ(Rows().size(), 2u);
    Deliver();
    m_node->AddBooleanAttribute("remote", false);
    std::thread([&] {
        panel->OnNodeEvent(m_node.Get(), NodeEvent{0, kEventAttributeAdded, 3});
    }).join();
    EXPECT_EQ(Rows().size(), 3u);
    QCoreApplication::processEvents();
    // A report for an index that does not exist builds nothing.
    panel->OnNodeEvent(m_node.Get(), NodeEvent{0, kEventAttributeAdded, 7});
    Deliver();
    EXPECT_EQ(panel->GetManagers().size(), 4u);

    m_panel->show();
    QCoreApplication::processEvents();
    QStringList names;
    for (const auto& row : Rows()) {
        QLabel* label = row.m_name_label;
        names << label->text();
        EXPECT_GE(label->contentsRect().width(),
                  label->fontMetrics().horizontalAdvance(label->text()))
            << label->text().toStdString();
        EXPECT_EQ(label->toolTip(), label->text());
    }
    EXPECT_EQ(names.join(','), "gain,crop,roughness_amount,remote");
    QDragSpinner* number = Rows()[0].m_first_spinner;
    EXPECT_EQ(number->text(), "-12345.6789");
    EXPECT_GE(number->findChild<QLineEdit*>()->width(),
              number->fontMetrics().horizontalAdvance(number->text()));
    EXPECT_EQ(Rows()[1].m_fourth_spinner->prefix() + Rows()[2].m_first_spinner->prefix(), "h x ");
}

TEST_F(QAttributesWidgetTest, TwentyFiveAttributesDisableAddingAndDuplicating) {
    auto add_up_to = [this](size_t count) {
        while (m_node->GetNumAttributes() < count) {
            m_node->AddNumberAttribute("n" + std::to_string(m_node->GetNumAttributes()), 0, 0, 1, 1,
                                       0);
        }
    };
    add_up_to(24);
    MakePanel();
    EXPECT_TRUE(AddButton()->isEnabled());
    EXPECT_EQ(PressName(Rows()[0].m_name_label).value_or(Entries()).size(), 5u);
    // The 25th arrives as a report; more than the limit (read from a definition file, say) all
    // show.
    for (size_t count : {25u, 27u}) {
        add_up_to(count);
        count == 25 ? Deliver() : void(MakePanel());
        ASSERT_EQ(Rows().size(), count);
        EXPECT_FALSE(AddButton()->isEnabled());
        EXPECT_EQ(PressName(Rows().back().m_name_label),
                  (Entries{{kEdit, true}, {kRename, true}, {kReset, true}, {kDelete, true}}));
    }
}

TEST_F(QAttributesWidgetTest, AddCreatesTheAttributeTheDialogDescribes) {
    // Minimum 10 above maximum 5: the default becomes the minimum.
    const std::string expected[] = {"1",
                                    "10 | 10 10..5 by 0.25, 2",
                                    "10,10 | 10,10 10..5 by 0.25, 2",
                                    "0,0,10,10 | 0,0,10,10",
                                    "0,0,0,0",
                                    "red of red,green,blue",
                                    ""};
    MakePanel();
    for (int type = 0; type <= int(Attribute::STRING); ++type) {
        const QString name = QString("added%1").arg(type);
        AnswerDialog([type, name](DialogFields& f) {
            f.type->setCurrentIndex(type);
            f.decimals->setValue(2);
            f.default_value->setValue(7);
            f.minimum->setValue(10);
            f.maximum->setValue(5);
            f.single_step->setValue(0.25);
            f.choices->setText("red,green,blue");
            f.name->setText(name);
        });
        AddButton()->click();
        ASSERT_TRUE(m_accepted && m_title == "Add Attribute");
        ASSERT_EQ(m_node->GetNumAttributes(), size_t(type + 1));
        const Attribute& added = At(size_t(type));
        EXPECT_EQ(
            added.GetName() + " " + std::to_string(int(added.GetType())) + " " + Describe(added),
            name.toStdString() + " " + std::to_string(type) + " " + expected[type]);
        // The row arrives with the node's report, delivered from the event loop.
        QCoreApplication::processEvents();
        ASSERT_EQ(Rows().size(), size_t(type + 1));
        EXPECT_EQ(Rows().back().m_name_label->text(), name);
    }
    // A cancelled dialog adds nothing; the name just used is refused.
    for (const auto& [name, accept] : {std::pair("fresh", false), std::pair("ADDED1", true)}) {
        AnswerDialog([text = name](DialogFields& f) { f.name->setText(text); }, accept);
        AddButton()->click();
        EXPECT_FALSE(m_accepted) << name;
    }
    Deliver();
    EXPECT_EQ(m_node->GetNumAttributes(), 7u);
    EXPECT_EQ(Rows().size(), 7u);
    EXPECT_TRUE(AddButton()->isEnabled());
}

// Edit changes a definition in place, duplicate adds one of the source's type; both start from
// the source, with the type list locked to it.
TEST_F(QAttributesWidgetTest, EditAndDuplicateApplyTheDialog) {
    m_node->AddNumberAttribute("gain", 2, 0, 100, 1, 0);
    m_node->AddPointAttribute("centre", {1, 2}, -5, 5, 1, 0);
    m_node->AddFrameAttribute("crop", {1, 2, 30, 40});
    m_node->AddChoiceAttribute("level", "low,mid,high");
    m_node->GetAttributeByIndex(0)->SetNumber(50, false);
    m_node->GetAttributeByIndex(3)->SetChoice("mid", false);
    MakePanel();
    auto set = [](double value, double minimum, double maximum, int decimals = -1,
                  const char* name = "") {
        return [=](DialogFields& f) {
            if (*name) {  // a duplicate, whose type is locked
                f.type->setCurrentIndex(Attribute::STRING);
                f.name->setText(name);
            }
            if (decimals >= 0) {
                f.decimals->setValue(decimals);
            }
            if (!std::isnan(value)) {
                f.default_value->setValue(value);
            }
            f.minimum->setValue(minimum);
            f.maximum->setValue(maximum);
        };
    };
    auto choices = [](const char* names, const char* name = "") {
        return [=](DialogFields& f) {
            f.choices->setText(names);
            f.name->setText(*name ? name : f.name->text());
        };
    };
    const struct {
        size_t row;
        QString entry;
        Fill fill;
        size_t target;
        std::string expected;
    } cases[] = {
        // The current value outside new limits is kept as it is.
        {0, kEdit, set(3, 0, 10, 1), 0, "50 | 3 0..10 by 0.1, 1"},
        // Point and frame: the clamped default in their arrangement, values kept.
        {1, kEdit, set(20, -4, 4), 1, "1,2 | 4,4 -4..4 by 1, 0"},
        {2, kEdit, set(6, 0, 100), 2, "1,2,30,40 | 0,0,6,6"},
        // New names, the selection kept by name.
        {3, kEdit, choices("mid,top"), 3, "mid of mid,top"},
        {0, kDuplicate, set(150, 0, 120, 2, "gain2"), 4, "120 | 120 0..120 by 0.01, 2"},
        {3, kDuplicate, choices("a,b", "level2"), 5, "a of a,b"},
        // Changed limits alone clamp the source's default.
        {0, kDuplicate, set(NAN, 5, 10, -1, "gain3"), 6, "5 | 5 5..10 by 0.1, 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const Attribute::Type type = At(c.row).GetType();
        AnswerDialog(c.fill);
        Choose(c.row, c.entry);
        ASSERT_TRUE(m_accepted);
        EXPECT_EQ(m_title, c.entry);
        EXPECT_EQ(m_type_shown, int(type));
        ASSERT_EQ(m_node->GetNumAttributes(), std::max<size_t>(4, c.target + 1));
        EXPECT_EQ(At(c.target).GetType(), type);
        EXPECT_EQ(Describe(At(c.target)), c.expected);
        EXPECT_TRUE(c.entry != kEdit || Update::Get()->GetNumPending() == 0u)
            << "an edit changes no value";
        Deliver();
    }
    ASSERT_EQ(Rows().size(), 7u);
    EXPECT_EQ(QString("%1 %2 %3")
                  .arg(Rows()[0].m_first_spinner->decimals())
                  .arg(Rows()[3].m_combo_box->count())
                  .arg(Rows()[5].m_name_label->text()),
              "1 2 level2");
    // Cancel changes nothing.
    const AttributeListState before = AttributeListState::Capture(*m_node);
    for (const QString& entry : {kEdit, kDuplicate}) {
        AnswerDialog(set(0, -50, 50, 2, "fresh"), false);
        Choose(0, entry);
        EXPECT_FALSE(m_accepted);
        EXPECT_TRUE(AttributeListState::Capture(*m_node) == before) << entry.toStdString();
    }
}

// OK without a change keeps every definition bit for bit, whatever the boxes can show; a duplicate
// copies the definition exactly.
TEST_F(QAttributesWidgetTest, EditAndDuplicateWithoutChangesLoseNothing) {
    const double infinity = std::numeric_limits<double>::infinity();
    m_node->AddNumberAttribute("roughness", 0.6, 0, 1, 0.01, 0);
    m_node->AddNumberAttribute("contrast", 1.2, -infinity, infinity, 0.1, 0);
    m_node->AddNumberAttribute("third", 1.0 / 3, -12345.6789, 2e7, 1e-7, 2);
    // As a definition file may give it.
    m_node->AddNumberAttribute("wide", 1.2345, -infinity, infinity, 2e7, INT_MAX);
    m_node->AddPointAttribute("centre", {1.5, -2.25}, -5, 5, 0.25, 2);
    m_node->AddFrameAttribute("crop", {0, 0, 32, 32});
    m_node->AddChoiceAttribute("speed", "fast,slow");
    MakePanel();
    const size_t count = m_node->GetNumAttributes();
    for (size_t k = 0; k < count; ++k) {
        SCOPED_TRACE(At(k).GetName());
        const AttributeListState before = AttributeListState::Capture(*m_node);
        AnswerDialog([](DialogFields&) {});
        Choose(k, kEdit);
        EXPECT_TRUE(m_accepted);
        EXPECT_TRUE(AttributeListState::Capture(*m_node) == before);
        AnswerDialog([k](DialogFields& f) { f.name->setText(QString("copy%1").arg(k)); });
        Choose(k, kDuplicate);
        ASSERT_TRUE(m_accepted);
        EXPECT_EQ(Describe(At(m_node->GetNumAttributes() - 1)), Describe(At(k)));
    }
    // Empty choices between commas are ignored.
    AnswerDialog([](DialogFields& f) { f.choices->setText("fast,slow,"); });
    Choose(6, kEdit);
    EXPECT_EQ(Describe(At(6)), "fast of fast,slow");
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
    MakePanel();
    for (const char* name : {"first", "level"}) {
        AnswerDialog([name](DialogFields& f) { f.name->setText(name); });
        Choose(1, kRename);
        ASSERT_EQ(m_accepted, std::string(name) == "level") << "a name in use is refused";
    }
    EXPECT_EQ(m_title, "Rename Attribute");
    ASSERT_EQ(m_node->GetNumAttributes(), 3u);
    EXPECT_EQ(
        At(0).GetName() + " " + At(1).GetName() + " " + Describe(At(1)) + " " + At(2).GetString(),
        "first level 7 | 2 0..10 by 0.5, 1 x");
    const uint32_t in = output->FindInplug("number");
    EXPECT_EQ(output->GetInplugNode(in), m_node.Get());
    EXPECT_EQ(m_node->GetOutplugName(output->GetInplugNodeOutplug(in)), "level");
    const uint32_t fed = m_node->FindInplug("level");
    ASSERT_NE(fed, Node::kNone);
    EXPECT_EQ(m_node->GetInplugNode(fed), source.Get());
    // The rows no longer match: the host builds a new panel.
    EXPECT_FALSE(AddButton()->isEnabled());
}

TEST_F(QAttributesWidgetTest, DeleteRemovesTheAttributeAndLeavesThePanelInert) {
    m_node->AddNumberAttribute("gain", 2, 0, 100, 1, 0);
    m_node->AddFrameAttribute("crop", {1, 2, 30, 40});
    m_node->AddStringAttribute("label", "x");
    Manager::Get()->SetDisplayNode(m_node.Get(), 1);
    MakePanel();
    // Cancelling the question keeps the attribute; the frame's first label opens the menu.
    AnswerQuestion(QMessageBox::Cancel);
    Choose(1, kDelete);
    ASSERT_EQ(m_node->GetNumAttributes(), 3u);
    EXPECT_TRUE(AddButton()->isEnabled());
    AnswerQuestion(QMessageBox::Yes);
    Choose(1, kDelete);
    ASSERT_EQ(m_node->GetNumAttributes(), 2u);
    EXPECT_EQ(At(0).GetName() + " " + At(1).GetName(), "gain label");
    EXPECT_EQ(Manager::Get()->GetDisplayNode(), nullptr);
    EXPECT_EQ(Manager::Get()->GetDisplayOutplug(), Manager::kNoOutplug);

    Deliver();
    EXPECT_FALSE(AddButton()->isEnabled());
    ASSERT_EQ(Rows().size(), 3u);
    for (const auto& row : Rows()) {
        for (QWidget* widget : std::initializer_list<QWidget*>{
                 row.m_name_label, row.m_line_edit, row.m_first_spinner, row.m_second_spinner,
                 row.m_slider, row.m_second_name_label, row.m_third_spinner, row.m_fourth_spinner,
                 row.m_second_slider}) {
            EXPECT_TRUE(!widget || !widget->isEnabled()) << widget->metaObject()->className();
        }
        EXPECT_FALSE(PressName(row.m_name_label));
    }
    // Later reports do not bring the panel back.
    m_node->AddBooleanAttribute("again", true);
    Deliver();
    EXPECT_FALSE(AddButton()->isEnabled());
}

}  // namespace
