#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

#include "host/Attribute.h"
#include "host/Node.h"
#include "host/Update.h"
#include "programs/view/EditorWindow.h"
#include "programs/view/GraphView.h"
#include "programs/view/ViewerWindow.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUnreadable = 2;
constexpr int kPollMilliseconds = 20;

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// Renders the window as it would first appear and writes it to `file`.
bool Screenshot(QWidget& window, const std::string& file) {
    window.show();
    QApplication::processEvents();
    Update::Get()->FlushEventsToProcess();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromStdString(file), "PNG")) {
        std::cerr << "quillmar-view: cannot write " << file << '\n';
        return false;
    }
    return true;
}

// Answers what opens on top of `window` as `answer` says, once it returns true.
void WhenOpen(QObject* context, std::function<bool()> answer) {
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context, [timer, answer] {
        if (answer()) {
            timer->deleteLater();
        }
    });
    timer->start(kPollMilliseconds);
}

// Opens the Edit dialog of attribute `name` through the panel's context menu, as an author does,
// and writes the dialog to `file`.
bool ScreenshotDialog(EditorWindow& editor, const std::string& name, const std::string& file) {
    editor.show();
    QApplication::processEvents();
    QLabel* label = nullptr;
    for (QLabel* candidate : editor.findChildren<QLabel*>()) {
        if (candidate->text() == QString::fromStdString(name) && candidate->isVisible()) {
            label = candidate;
            break;
        }
    }
    if (!label) {
        std::cerr << "quillmar-view: --show dialog:" << name << ": no such attribute\n";
        return false;
    }
    WhenOpen(&editor, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            return false;
        }
        for (QAction* action : menu->actions()) {
            if (action->text() == "Edit Attribute" && action->isEnabled()) {
                menu->setActiveAction(action);
            }
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(menu, &press);
        return true;
    });
    auto written = std::make_shared<bool>(false);
    WhenOpen(&editor, [written, file] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return false;
        }
        *written = dialog->grab().save(QString::fromStdString(file), "PNG");
        dialog->reject();
        return true;
    });
    const QPointF position(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, position, label->mapToGlobal(position),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    if (!*written) {
        std::cerr << "quillmar-view: cannot write " << file << '\n';
    }
    return *written;
}

// Sets each NAME=VALUE on the viewer's node, in the text form of the project format.
bool Apply(ViewerWindow& viewer, const std::vector<std::string>& settings) {
    for (const std::string& setting : settings) {
        const size_t equals = setting.find('=');
        Attribute* attribute = equals == std::string::npos
                                   ? nullptr
                                   : viewer.GetNode()->GetAttribute(setting.substr(0, equals));
        if (!attribute) {
            std::cerr << "quillmar-view: --set " << setting << ": no such attribute\n";
            return false;
        }
        if (!attribute->SetValueText(setting.substr(equals + 1), true)) {
            std::cerr << "quillmar-view: --set " << setting << ": not a "
                      << attribute->GetTypeName() << " value\n";
            return false;
        }
    }
    viewer.Refresh();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App program(
        "Shows a Quillmar project as one Node Graph node: its attributes and its "
        "outputs, evaluated again as the attributes change.",
        "quillmar-view");
    program.set_version_flag("--version", "quillmar-view " QM_VERSION);
    std::string project;
    bool edit = false;
    std::string screenshot;
    std::vector<std::string> settings;
    program.add_option("PROJECT", project, "Project file (.qmr)")->required();
    program.add_flag("--edit", edit,
                     "Edit the project's Attributes nodes (add, edit, duplicate, delete "
                     "attributes) and save the project back");
    program.add_option("--set", settings,
                       "NAME=VALUE: start with an attribute of the node set (iterations or a "
                       "project attribute; not with --edit)");
    program.add_option("--screenshot", screenshot,
                       "Render the window once to this PNG file and exit (needs no display)");
    std::string show;
    program.add_option("--show", show,
                       "With --screenshot: \"graph\" renders the viewer's Graph tab; "
                       "\"dialog:NAME\" (with --edit) the Edit dialog of attribute NAME");
    try {
        program.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return program.exit(error) == 0 ? kExitSuccess : kExitBadInput;
    }
    const bool show_graph = show == "graph";
    const std::string dialog_prefix = "dialog:";
    const bool show_dialog = show.rfind(dialog_prefix, 0) == 0 && edit;
    if (!show.empty() &&
        (screenshot.empty() || (!show_graph && !show_dialog) || (show_graph && edit))) {
        std::cerr << "quillmar-view: --show takes \"graph\" (viewer) or \"dialog:NAME\" "
                     "(--edit), with --screenshot\n";
        return kExitBadInput;
    }
    if (edit && !settings.empty()) {
        std::cerr << "quillmar-view: --set does not go with --edit\n";
        return kExitBadInput;
    }

    if (!HasDisplay()) {
        if (screenshot.empty()) {
            std::cerr << "quillmar-view: no display (DISPLAY is not set); use --screenshot FILE "
                         "to render without one\n";
            return kExitBadInput;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("quillmar-view");

    std::unique_ptr<QWidget> window;
    EditorWindow* editor_window = nullptr;
    Status status;
    if (edit) {
        auto editor = std::make_unique<EditorWindow>();
        status = editor->Open(project);
        editor_window = editor.get();
        window = std::move(editor);
    } else {
        auto viewer = std::make_unique<ViewerWindow>();
        status = viewer->Open(project);
        if (status.GetCode() != 2 && !Apply(*viewer, settings)) {
            return kExitBadInput;
        }
        if (show_graph) {
            viewer->GetTabs()->setCurrentWidget(viewer->GetGraph());
        }
        window = std::move(viewer);
    }
    if (status.GetCode() == 2) {
        std::cerr << "quillmar-view: " << project << ": " << status.GetFullMessage() << '\n';
        return kExitUnreadable;
    }
    if (status.GetCode() == 1) {
        std::cerr << "quillmar-view: " << project << ": " << status.GetMessage() << '\n';
    }
    if (show_dialog) {
        const std::string name = show.substr(dialog_prefix.size());
        return ScreenshotDialog(*editor_window, name, screenshot) ? kExitSuccess : kExitBadInput;
    }
    if (!screenshot.empty()) {
        return Screenshot(*window, screenshot) ? kExitSuccess : kExitBadInput;
    }
    window->show();
    return application.exec();
}
