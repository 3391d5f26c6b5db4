#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QTimer>
#include <QWidget>

class GraphPicture;
class Node;
class QGraphicsScene;
class QGraphicsView;
class QLabel;
class QPushButton;

// The viewer's Graph tab: the picture of a project's graph (GraphPicture), drawn with
// QGraphicsView. At the top level it shows the project of the viewer's Node Graph node, with the
// nodes that the node's last evaluation reported in an error state marked. A double-click on a
// nested Node Graph node opens its project's graph; Back returns. The wheel zooms, dragging moves.
// Nested projects packed into the project file are read from a temporary folder that lives as long
// as their level is open.
//
// GUI thread only. The node must outlive the view.
class GraphView : public QWidget {
    Q_OBJECT
public:
    explicit GraphView(QWidget* parent = nullptr);
    ~GraphView() override;

    // The Node Graph node whose project the top level shows; read when the view is next shown.
    void SetProjectNode(Node* node);
    // Reads the top level again when the node's project or its error reports changed (the view
    // checks while it is shown).
    void Refresh();
    // Opens the nested project of box `index` of the current level; false (with the reason in the
    // view's status line) when the box is not a Node Graph node or its project cannot be read.
    bool OpenNested(size_t index);
    void Back();

    const GraphPicture* GetPicture() const;
    size_t GetDepth() const { return m_levels.size(); }
    const QString& GetMessage() const { return m_message; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Level;

    // Reads `path` into a new level on top; `reports` mark nodes in error.
    bool Push(const std::string& path, const std::string& title,
              const std::vector<std::string>& reports);
    void Draw();
    void FitToView();
    void SetMessage(const QString& message);

    Node* m_node = nullptr;
    std::string m_shown_key;
    std::vector<std::unique_ptr<Level>> m_levels;
    QGraphicsScene* m_scene;
    QGraphicsView* m_view;
    QPushButton* m_back;
    QLabel* m_title;
    QString m_message;
    QTimer m_poll;
};
