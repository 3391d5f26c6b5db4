#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>

#include "host/Manager.h"
#include "host/QNodeAttributesWidget.h"
#include "interfaces/NodeGraphNodeInterface.h"
#include "tests/nodes/graph/NodeGraphNodeTest.h"

namespace {

using Builder = ProjectBuilder;
using Info = QNodeAttributesWidget::AdditionalInfo;

// Answers the next modal window from the event loop, so that exec() in the code under test returns.
void AnswerModal(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            AnswerModal(answer);
            return;
        }
        answer(modal);
    });
}

// Records the message box that comes up as "<title> <icon> <text format>: <text>" and closes it.
void AnswerBox(QString& seen) {
    AnswerModal([&seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << modal->metaObject()->className();
        seen = QString("%1 %2 %3: %4")
                   .arg(box->windowTitle())
                   .arg(box->icon())
                   .arg(box->textFormat())
                   .arg(box->text());
        box->accept();
    });
}

// Picks `file` in the project file dialog, or cancels it when `file` is empty.
void AnswerFileDialog(const std::string& file, QString& caption, QString& directory) {
    AnswerModal([file, &caption, &directory](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
        caption = dialog->windowTitle();
        directory = dialog->directory().absolutePath();
        EXPECT_EQ(dialog->nameFilters(), QStringList{"Quillmar Project (*.qmr)"});
        if (file.empty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(QString::fromStdString(file));
        // QFileDialog hides accept(); QDialog's is public.
        static_cast<QDialog*>(dialog)->accept();
    });
}

class NodeGraphNodeInterfaceTest : public NodeGraphNodeTest {
protected:
    // A project with one number input and output and `attributes` exposed number attributes.
    std::string WriteProject(const std::string& file, int attributes) {
        Builder builder;
        Node* sum = builder.Through("x", "y", 0);
        DynamicNode* params = attributes > 0 ? builder.Attributes("params") : nullptr;
        for (int i = 0; i < attributes; ++i) {
            params->AddNumberAttribute("gain" + std::to_string(i), 1, 0, 10, 1, 0);
        }
        if (params) {
            builder.Connect(params, "gain0", sum, "b");
        }
        std::filesystem::create_directories(std::filesystem::path(Path(file)).parent_path());
        return builder.Write(Path(file));
    }

    QNodeAttributesWidget* Panel(Node* node) {
        QWidget* widget = m_interface->CreateAttributesWidget(node, &m_parent, 0);
        auto* panel = qobject_cast<QNodeAttributesWidget*>(widget);
        EXPECT_NE(panel, nullptr);
        return panel;
    }

    static void Click(QNodeAttributesWidget* panel, const char* button) {
        auto* action = panel->findChild<QToolButton*>(button);
        ASSERT_NE(action, nullptr) << button;
        action->click();
    }

    RefPtr<NodeGraphNodeInterface> m_interface{new NodeGraphNodeInterface};
    QWidget m_parent;
};

// Each row of a panel as "<shown> <file actions> <group title>".
std::vector<std::string> Rows(const QNodeAttributesWidget* panel) {
    std::vector<std::string> rows;
    for (const Info& info : panel->GetAdditionalInfo()) {
        rows.push_back(std::to_string(info.m_shown) + " " + std::to_string(info.m_file_actions) +
                       " " + info.m_group_title);
    }
    return rows;
}

TEST_F(NodeGraphNodeInterfaceTest, PanelOptionsFollowTheNodeAndItsProject) {
    RefPtr<Node> other = m_document->CreateNode(Builder::kNumberIo);
    EXPECT_EQ(m_interface->CreateAttributesWidget(other.Get(), &m_parent, 0), nullptr);
    NodeGraphNode* fresh = NewNode();
    EXPECT_EQ(m_interface->CreateAttributesWidget(fresh, &m_parent, 1), nullptr);
    // A node standing for a project's own type hides "path" and "iterations".
    NodeGraphNode* typed = NewNode("typed");
    typed->InitFromProject("two", NodeType{10, 100, 7}, WriteProject("two.qmr", 2));
    NodeGraphNode* bare = NewNode("bare");
    bare->InitFromProject("none", NodeType{10, 100, 8}, WriteProject("none.qmr", 0));
    const struct {
        const char* label;
        Node* node;
        std::vector<std::string> rows;
    } cases[] = {
        // "path" carries the file actions; project attributes get a title above the first one.
        {"fresh", fresh, {"1 1 ", "1 0 "}},
        {"read", NodeReading(Path("two.qmr")), {"1 1 ", "1 0 ", "1 0 Project Attributes", "1 0 "}},
        {"typed", typed, {"0 1 ", "0 0 ", "1 0 Attributes", "1 0 "}},
        {"typed without attributes", bare, {"0 1 ", "0 0 "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QNodeAttributesWidget* panel = Panel(c.node);
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(Rows(panel), c.rows);
    }
}

TEST_F(NodeGraphNodeInterfaceTest, ReadActionRenamesRemembersAndReportsFailures) {
    const std::string good = WriteProject("projects/Wood Grain.qmr", 1);
    WriteText(Path("projects/broken.qmr"), "not a container");
    NodeGraphNode* node = NewNode("graph");
    QNodeAttributesWidget* panel = Panel(node);
    ASSERT_NE(panel, nullptr);
    QString caption, directory;
    QString box;

    // Cancelled: nothing changes and the panel stays usable.
    AnswerFileDialog("", caption, directory);
    Click(panel, "read_path");
    EXPECT_EQ(caption, "Select Project File");
    EXPECT_TRUE(panel->isEnabled() && node->GetNumAttributes() == 2);

    // A file that does not read: a rich-text warning, the panel enabled again, the node as it was.
    AnswerFileDialog(Path("projects/broken.qmr"), caption, directory);
    AnswerBox(box);
    Click(panel, "read_path");
    EXPECT_TRUE(
        box.startsWith("Node Graph 2 1: Error reading project:<br><br>Failed to load XML "
                       "project."))
        << box.toStdString();
    EXPECT_TRUE(panel->isEnabled() && node->GetName() == "graph" && node->GetNumAttributes() == 2);

    // Success: renamed after the file, its folder remembered, the panel left disabled.
    AnswerFileDialog(good, caption, directory);
    AnswerBox(box);
    Click(panel, "read_path");
    EXPECT_EQ(box, "Node Graph 1 2: Reactivate the node to display the project attributes.");
    EXPECT_TRUE(!panel->isEnabled() && node->GetName() == "Wood Grain" &&
                node->GetNumAttributes() == 3);
    EXPECT_EQ(std::filesystem::path(Manager::Get()->GetDirectory("Projects")),
              std::filesystem::path(Path("projects")));

    // The next dialog starts in that folder.
    panel = Panel(node);
    AnswerFileDialog("", caption, directory);
    Click(panel, "read_path");
    EXPECT_EQ(std::filesystem::path(directory.toStdString()),
              std::filesystem::canonical(Path("projects")));
}

// Enter in the path field reads the typed project as the chooser does; a failed read puts the
// node's path back and says why.
TEST_F(NodeGraphNodeInterfaceTest, TypedPathIsReadAndAFailureKeepsTheNode) {
    const std::string good = WriteProject("projects/typed.qmr", 1);
    NodeGraphNode* node = NewNode("graph");
    QNodeAttributesWidget* panel = Panel(node);
    ASSERT_NE(panel, nullptr);
    auto* field =
        panel->findChild<QToolButton*>("read_path")->parentWidget()->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    QString box;

    field->setText(QString::fromStdString(Path("missing.qmr")));
    AnswerBox(box);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &enter);
    EXPECT_TRUE(box.startsWith("Node Graph 2 1: ") && box.contains("missing.qmr"))
        << box.toStdString();
    EXPECT_TRUE(node->GetAttributeByIndex(0)->GetString().empty() && field->text().isEmpty() &&
                node->GetNumAttributes() == 2);

    field->setText(QString::fromStdString(good));
    AnswerBox(box);
    QCoreApplication::sendEvent(field, &enter);
    EXPECT_EQ(box, "Node Graph 1 2: Reactivate the node to display the project attributes.");
    EXPECT_TRUE(node->GetName() == "typed" && node->GetNumAttributes() == 3);
}

TEST_F(NodeGraphNodeInterfaceTest, RereadActionReadsThePathAgain) {
    const std::string file = WriteProject("p.qmr", 1);
    NodeGraphNode* node = NodeReading(file);
    ASSERT_EQ(node->GetNumAttributes(), 3u);
    QNodeAttributesWidget* panel = Panel(node);
    // A file that no longer reads leaves the node as it was and still shows the same box.
    for (const bool damaged : {false, true}) {
        damaged ? WriteText(file, "damaged") : void(WriteProject("p.qmr", 2));
        QString box;
        AnswerBox(box);
        Click(panel, "reread_path");
        EXPECT_EQ(box, "Node Group 1 2: Reactivate the node to display the project attributes.");
        EXPECT_EQ(node->GetNumAttributes(), 4u);
    }
}

}  // namespace
