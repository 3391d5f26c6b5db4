#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "host/Attribute.h"
#include "host/Container.h"
#include "host/Engine.h"
#include "host/Node.h"
#include "host/Update.h"
#include "programs/graph/GraphPicture.h"
#include "programs/view/EditorWindow.h"
#include "programs/view/EvaluationProgress.h"
#include "programs/view/GraphView.h"
#include "programs/view/ViewerWindow.h"
#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

// Opens the context menu of `label`, chooses `entry`, and answers what opens next with `then`.
void ChooseFromMenu(QLabel* label, const QString& entry, std::function<void()> then) {
    QTimer::singleShot(0, [entry, then] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->text() == entry) {
                menu->setActiveAction(action);
            }
        }
        QTimer::singleShot(0, then);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::mouseClick(label, Qt::LeftButton);
}

// The modal dialog open now, as `Widget`.
template <typename Widget>
Widget* Modal() {
    auto* widget = qobject_cast<Widget*>(QApplication::activeModalWidget());
    EXPECT_NE(widget, nullptr);
    return widget;
}

// Presses OK in the modal attribute dialog after naming the attribute `name`.
void NameAndAccept(const QString& name) {
    auto* dialog = Modal<QDialog>();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("m_name_qtext")->setText(name);
    auto* buttons = dialog->findChild<QDialogButtonBox*>("m_ok_cancel_buttons");
    ASSERT_TRUE(buttons->button(QDialogButtonBox::Ok)->isEnabled());
    buttons->button(QDialogButtonBox::Ok)->click();
}

QLabel* NameLabel(const EditorWindow& editor, const QString& name) {
    QWidget* panel = editor.GetTabs()->findChild<QWidget*>("QAttributesWidget");
    for (QLabel* candidate : panel ? panel->findChildren<QLabel*>() : QList<QLabel*>()) {
        if (candidate->text() == name && candidate->isEnabled()) {
            return candidate;
        }
    }
    return nullptr;
}

class ViewerTest : public QuillmarTest {
protected:
    void TearDown() override {
        Engine::Get()->SetDocument(nullptr);
        QuillmarTest::TearDown();
    }

    // The files of the project `path` unpacked into `folder` of the test's folder.
    fs::path Unpack(const std::string& path, const std::string& folder) {
        fs::create_directory(m_folder / folder);
        fs::current_path(m_folder / folder);
        EXPECT_TRUE(DecompressFiles(path));
        fs::current_path(m_folder);
        return m_folder / folder;
    }
    // A copy of a packed example in the test's folder.
    std::string Example(const std::string& name) {
        const fs::path copy = m_folder / (name + ".qmr");
        fs::copy_file(fs::path(QM_EXAMPLES_DIR) / (name + ".qmr"), copy,
                      fs::copy_options::overwrite_existing);
        return copy.string();
    }
};

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        m_presses += event->type() == QEvent::KeyPress ? 1 : 0;
        return false;
    }
    int m_presses = 0;
};

TEST_F(ViewerTest, LongEvaluationKeepsTheWindowAnsweringAndStopsOnCancelOrAnEdit) {
    using Clock = std::chrono::steady_clock;
    ViewerWindow viewer;
    ASSERT_EQ(viewer.Open(Example("octaves")).GetCode(), 0);
    viewer.show();
    Node* node = viewer.GetNode();
    Attribute* iterations = node->GetAttribute("iterations");
    ASSERT_NE(viewer.GetPanel(), nullptr);

    Clock::time_point last_turn = Clock::now();
    double longest_gap = 0.0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest_gap = std::max(longest_gap, std::chrono::duration<double>(now - last_turn).count());
        last_turn = now;
    });

    // Cancel, half a second in: the outputs stay those of the last finished evaluation.
    iterations->SetNumber(100000, false);
    bool was_evaluating = false;
    QTimer::singleShot(500, [&] {
        was_evaluating = viewer.IsEvaluating() && viewer.GetProgress()->isVisible();
        QTest::mouseClick(viewer.GetProgress()->GetCancelButton(), Qt::LeftButton);
    });
    last_turn = Clock::now();
    heartbeat.start(5);
    const Clock::time_point started = Clock::now();
    viewer.Refresh();
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    heartbeat.stop();
    // The gap allows twice the promise: the machine running the tests is shared.
    EXPECT_TRUE(was_evaluating && seconds < 5.0 && longest_gap < 0.2 && node->IsOutplugDirty(0) &&
                !viewer.IsEvaluating())
        << seconds << " s, longest gap " << longest_gap << " s";

    // Typing in the panel during an evaluation cancels it; the key arrives afterwards, and the
    // evaluation starts again with the value set meanwhile.
    KeyCounter counter;
    viewer.GetPanel()->installEventFilter(&counter);
    int presses_during = -1;
    QTimer::singleShot(300, [&] {
        iterations->SetNumber(2, true);
        QTest::keyClick(viewer.GetPanel(), Qt::Key_Shift);
        presses_during = counter.m_presses;
    });
    viewer.Refresh();
    EXPECT_EQ(presses_during, 0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return counter.m_presses == 1 && !node->IsOutplugDirty(0) && !viewer.IsEvaluating();
        },
        5000));
    EXPECT_FALSE(viewer.GetProgress()->isVisible());
}

// Adds an attribute through the Attributes panel's own dialog, saves, and reads the file again.
TEST_F(ViewerTest, EditorAddsAnAttributeAndSavesWithoutLosingPackedFiles) {
    const std::string path = Example("nested");
    {
        EditorWindow editor;
        ASSERT_EQ(editor.Open(path).GetCode(), 0);
        ASSERT_FALSE(editor.GetAttributesNodes().empty());
        Node* attributes = editor.GetAttributesNodes()[0];
        const size_t count = attributes->GetNumAttributes();
        // The attribute count and whether the editor has unsaved changes, after each step.
        auto state = [&] {
            return std::pair(attributes->GetNumAttributes() - count, editor.IsModified());
        };
        EXPECT_EQ(state(), std::pair(size_t(0), false));

        QTimer::singleShot(0, [] {
            Modal<QDialog>()->findChild<QComboBox*>("m_type_qcombo")->setCurrentIndex(1);
            NameAndAccept("contrast");
        });
        editor.GetTabs()->findChild<QPushButton*>("m_add_attribute_qbutton")->click();
        Update::Get()->FlushEventsToProcess();
        EXPECT_EQ(state(), std::pair(size_t(1), true));
        const Status saved = editor.Save();
        EXPECT_LE(saved.GetCode(), 1) << saved.GetMessage();
        EXPECT_EQ(state(), std::pair(size_t(1), false));

        // Deleting leaves the panel inert; the editor puts a fresh one in its place. Undo brings
        // the attribute back, up to the state saved; redo deletes it again.
        const QPointer<QWidget> old_panel =
            editor.GetTabs()->findChild<QWidget*>("QAttributesWidget");
        ASSERT_NE(NameLabel(editor, "contrast"), nullptr);
        ChooseFromMenu(NameLabel(editor, "contrast"), "Delete Attribute",
                       [] { Modal<QMessageBox>()->button(QMessageBox::Yes)->click(); });
        EXPECT_EQ(state(), std::pair(size_t(0), true));
        editor.RecordChanges();
        editor.GetUndoStack().undo();
        EXPECT_EQ(state(), std::pair(size_t(1), false));
        editor.GetUndoStack().redo();
        EXPECT_EQ(state(), std::pair(size_t(0), true));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                auto* fresh = editor.GetTabs()->findChild<QWidget*>("QAttributesWidget");
                return fresh && fresh != old_panel && fresh->isEnabled() &&
                       fresh->findChild<QPushButton*>("m_add_attribute_qbutton")->isEnabled();
            },
            5000));
        // Not saved: the file keeps the added attribute for the checks below.
    }
    // quillmar itself sees the new attribute, and the nested project packed beside Project.xml
    // is still there (the outer project runs it).
    const ProgramRun info = Run({"info", QString::fromStdString(path), "--json"});
    EXPECT_TRUE(info.m_exit_code == 0 && info.m_out.contains("\"contrast\"")) << info.Describe();

    EXPECT_TRUE(fs::exists(Unpack(path, "unpacked") / "octaves.qmr"));
}

// An author's session on the material example: an Edit answered with OK changes no byte of the
// saved file, and a rename carries the attribute's connections, so the project still runs.
TEST_F(ViewerTest, EditorKeepsTheFileThroughAnUnchangedEditAndARename) {
    const std::string path = Example("material");
    auto unpacked = [&](const std::string& folder) {
        return ReadText(Unpack(path, folder) / "node0_definitions.xml") +
               ReadText(m_folder / folder / "Project.xml");
    };
    {
        EditorWindow editor;
        ASSERT_EQ(editor.Open(path).GetCode(), 0);
        ASSERT_LE(editor.Save().GetCode(), 1);
        const std::string saved = unpacked("first");
        for (const char* name : {"roughness", "size", "height_scale"}) {
            QLabel* label = NameLabel(editor, name);
            ASSERT_NE(label, nullptr) << name;
            ChooseFromMenu(label, "Edit Attribute", [] { Modal<QDialog>()->accept(); });
        }
        EXPECT_FALSE(editor.IsModified());
        ASSERT_LE(editor.Save().GetCode(), 1);
        EXPECT_EQ(unpacked("second"), saved);

        ChooseFromMenu(NameLabel(editor, "roughness"), "Rename Attribute...",
                       [] { NameAndAccept("rough"); });
        ASSERT_LE(editor.Save().GetCode(), 1);
    }
    const ProgramRun run =
        Run({"run", QString::fromStdString(path), "--set", "rough=0.3", "-o", "out"});
    EXPECT_EQ(run.m_exit_code, 0) << run.Describe();
    // The renamed attribute still drives the roughness image: 0.3 of white.
    const QImage roughness(
        QString::fromStdString((m_folder / "out" / "material_roughness.png").string()));
    ASSERT_FALSE(roughness.isNull());
    EXPECT_NEAR(qRed(roughness.pixel(10, 10)), 77, 1);
}

// The Graph tab marks a node the evaluation reported in an error state, by its type and name: an
// unnamed node of the same type is not marked.
TEST_F(ViewerTest, GraphTabMarksTheNodesInError) {
    const QString path = PackProject("division", R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,2,1" name="ratio"><Value name="a" type="NUMBER" value="1" />
        <Value name="operation" type="CHOICE" value="divide" /></Node><Node id="1" type="10,2,1" />
    <Node id="2" type="10,1,26" name="out" />
    <Connection from="0" outplug="number" to="1" inplug="a" />
    <Connection from="1" outplug="number" to="2" inplug="number" />
</QuillmarProject>)");
    ViewerWindow viewer;
    ASSERT_EQ(viewer.Open(path.toStdString()).GetCode(), 0);
    GraphView* graph = viewer.GetGraph();
    viewer.GetTabs()->setCurrentWidget(graph);
    viewer.show();
    QCoreApplication::processEvents();
    ASSERT_NE(graph->GetPicture(), nullptr) << graph->GetMessage().toStdString();
    // Per box: its node's type and name, whether marked in error, and its role.
    std::vector<std::tuple<std::string, std::string, bool, GraphPicture::Role>> marks;
    for (const GraphPicture::Box& box : graph->GetPicture()->GetBoxes()) {
        marks.emplace_back(box.m_node->GetTypeName(), box.m_node->GetName(), box.m_error,
                           box.m_role);
    }
    using enum GraphPicture::Role;
    EXPECT_EQ(marks, decltype(marks)({{"Math", "ratio", true, kNode},
                                      {"Math", "", false, kNode},
                                      {"Number IO", "out", false, kOutput}}));
}

}  // namespace
