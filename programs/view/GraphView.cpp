#include "programs/view/GraphView.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include <QBrush>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPen>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "host/Attribute.h"
#include "host/Container.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/NodeType.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"
#include "host/ScopedTemporaryDirectory.h"
#include "programs/graph/GraphPicture.h"

namespace fs = std::filesystem;

namespace {

const NodeType kNodeGraphType{10, 1, 5};
constexpr int kBoxIndexKey = 0;
constexpr double kArrowLength = 9.0;
constexpr int kBoxLabelPixels = 11;
constexpr int kArrowLabelPixels = 9;
constexpr double kZoomPerStep = 1.15;
// While shown, the view looks for another project or new error reports this often.
constexpr int kPollMilliseconds = 300;

// What the Node Graph node reported on its outplugs after its last evaluation.
std::vector<std::string> ReportsOf(const Node& node) {
    std::vector<std::string> reports;
    for (uint32_t outplug = 0; outplug < node.GetNumOutplugs(); ++outplug) {
        for (const Node::StateReport& report : node.GetStateReports(outplug)) {
            reports.push_back(report.m_message);
        }
    }
    return reports;
}

QColor FillOf(GraphPicture::Role role) {
    switch (role) {
        case GraphPicture::Role::kInput:
            return QColor(0xd8, 0xf0, 0xd8);
        case GraphPicture::Role::kOutput:
            return QColor(0xd8, 0xe4, 0xf8);
        case GraphPicture::Role::kNode:
            break;
    }
    return QColor(0xf4, 0xf4, 0xf4);
}

// The arrowhead that points from `from` to `tip`.
QPolygonF ArrowHead(QPointF from, QPointF tip) {
    const QPointF direction = tip - from;
    const double length = std::hypot(direction.x(), direction.y());
    if (length == 0.0) {
        return {};
    }
    const QPointF unit = direction / length;
    const QPointF normal(-unit.y(), unit.x());
    const QPointF base = tip - unit * kArrowLength;
    return QPolygonF(
        {tip, base + normal * (kArrowLength / 2.5), base - normal * (kArrowLength / 2.5)});
}

}  // namespace

// One open project: its graph, the picture, and the folder its own file was unpacked into when a
// nested project of it was opened.
struct GraphView::Level {
    std::string m_path;
    // The top level's path, then the names of the nested nodes opened.
    std::string m_title;
    RefPtr<NodeGraph> m_graph;
    GraphPicture m_picture;
    std::unique_ptr<ScopedTemporaryDirectory> m_unpacked;
};

GraphView::GraphView(QWidget* parent)
    : QWidget(parent),
      m_scene(new QGraphicsScene(this)),
      m_view(new QGraphicsView(m_scene)),
      m_back(new QPushButton("Back")),
      m_title(new QLabel) {
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(m_back);
    bar->addWidget(m_title, 1);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setDragMode(QGraphicsView::ScrollHandDrag);
    m_view->setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    m_view->viewport()->installEventFilter(this);
    m_back->setEnabled(false);
    connect(m_back, &QPushButton::clicked, this, &GraphView::Back);
    connect(&m_poll, &QTimer::timeout, this, &GraphView::Refresh);
}

GraphView::~GraphView() = default;

void GraphView::SetProjectNode(Node* node) {
    m_node = node;
    m_shown_key.clear();
    if (isVisible()) {
        Refresh();
    }
}

void GraphView::Refresh() {
    if (!m_node || m_node->GetNumAttributes() == 0) {
        return;
    }
    const std::string path = m_node->GetAttributeByIndex(0)->GetString();
    const std::vector<std::string> reports = ReportsOf(*m_node);
    std::string key = path;
    for (const std::string& report : reports) {
        key += "\n" + report;
    }
    if (key == m_shown_key) {
        return;
    }
    m_shown_key = key;
    m_levels.clear();
    Push(path, path, reports);
    Draw();
}

bool GraphView::Push(const std::string& path, const std::string& title,
                     const std::vector<std::string>& reports) {
    auto level = std::make_unique<Level>();
    level->m_path = path;
    level->m_title = title;
    level->m_graph = new NodeGraph;
    Status status = ProjectFile::Read(path, *level->m_graph);
    if (status.GetCode() < int(StatusCode::Error)) {
        status = level->m_picture.Build(*level->m_graph, reports);
    }
    if (status.GetCode() >= int(StatusCode::Error)) {
        SetMessage(QString::fromStdString("Cannot show " + path + ": " + status.GetFullMessage()));
        return false;
    }
    m_levels.push_back(std::move(level));
    SetMessage(QString::fromStdString(title));
    return true;
}

bool GraphView::OpenNested(size_t index) {
    if (m_levels.empty()) {
        return false;
    }
    Level& level = *m_levels.back();
    const std::vector<GraphPicture::Box>& boxes = level.m_picture.GetBoxes();
    const Node* node = index < boxes.size() ? boxes[index].m_node : nullptr;
    if (!node || node->GetNodeType() != kNodeGraphType || node->GetNumAttributes() == 0) {
        return false;
    }
    const std::string nested = node->GetAttributeByIndex(0)->GetString();
    fs::path path(nested);
    if (path.is_relative()) {
        // A project packed into this one's file: unpack the file once for its nested projects.
        std::string error;
        if (!level.m_unpacked) {
            auto unpacked = std::make_unique<ScopedTemporaryDirectory>();
            std::error_code code;
            const fs::path previous = fs::current_path(code);
            const fs::path container = fs::absolute(level.m_path, code);
            bool ok = !code && unpacked->Create(error);
            if (ok) {
                fs::current_path(unpacked->GetPath(), code);
                ok = !code && DecompressFiles(container.string(), error);
                fs::current_path(previous, code);
            }
            if (!ok) {
                error = error.empty() ? code.message() : error;
                SetMessage(QString::fromStdString("Cannot unpack " + level.m_path + ": " + error));
                return false;
            }
            level.m_unpacked = std::move(unpacked);
        }
        const fs::path packed = fs::path(level.m_unpacked->GetPath()) / path;
        path = fs::exists(packed) ? packed : fs::absolute(level.m_path).parent_path() / path;
    }
    const std::string title = level.m_title + " > " + node->GetName();
    if (!Push(path.string(), title, {})) {
        return false;
    }
    Draw();
    return true;
}

void GraphView::Back() {
    if (m_levels.size() > 1) {
        m_levels.pop_back();
        SetMessage(QString::fromStdString(m_levels.back()->m_title));
        Draw();
    }
}

const GraphPicture* GraphView::GetPicture() const {
    return m_levels.empty() ? nullptr : &m_levels.back()->m_picture;
}

void GraphView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
    m_poll.start(kPollMilliseconds);
}

void GraphView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_poll.stop();
}

bool GraphView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view->viewport() && event->type() == QEvent::Wheel) {
        // The wheel zooms around the pointer; dragging moves the picture.
        const double steps = static_cast<QWheelEvent*>(event)->angleDelta().y() / 120.0;
        const double factor = std::pow(kZoomPerStep, steps);
        m_view->scale(factor, factor);
        return true;
    }
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* click = static_cast<QMouseEvent*>(event);
        for (QGraphicsItem* item : m_view->items(click->position().toPoint())) {
            const QVariant index = item->data(kBoxIndexKey);
            if (index.isValid()) {
                OpenNested(index.toULongLong());
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GraphView::Draw() {
    m_scene->clear();
    m_back->setEnabled(m_levels.size() > 1);
    const GraphPicture* picture = GetPicture();
    if (!picture) {
        return;
    }
    // Graphviz measured its labels in points at 72 per inch: one pixel each here.
    QFont font = this->font();
    font.setPixelSize(kArrowLabelPixels);
    for (const GraphPicture::Arrow& arrow : picture->GetArrows()) {
        const std::vector<double>& p = arrow.m_points;
        if (p.size() < 4) {
            continue;
        }
        QPainterPath path(QPointF(p[0], p[1]));
        size_t k = 2;
        for (; k + 6 <= p.size(); k += 6) {
            path.cubicTo(p[k], p[k + 1], p[k + 2], p[k + 3], p[k + 4], p[k + 5]);
        }
        const QPointF end = path.currentPosition();
        // A point left over is the arrowhead's tip.
        const QPointF tip = k + 2 <= p.size() ? QPointF(p[k], p[k + 1]) : end;
        m_scene->addPath(path, QPen(QColor(0x50, 0x50, 0x50), 1.0));
        m_scene->addPolygon(ArrowHead(end == tip ? QPointF(p[k - 4], p[k - 3]) : end, tip),
                            QPen(QColor(0x50, 0x50, 0x50)), QBrush(QColor(0x50, 0x50, 0x50)));
        auto* label = m_scene->addSimpleText(QString::fromStdString(arrow.m_label), font);
        label->setPos(arrow.m_label_x - label->boundingRect().width() / 2,
                      arrow.m_label_y - label->boundingRect().height() / 2);
    }
    font.setPixelSize(kBoxLabelPixels);
    const std::vector<GraphPicture::Box>& boxes = picture->GetBoxes();
    for (size_t index = 0; index < boxes.size(); ++index) {
        const GraphPicture::Box& box = boxes[index];
        QPainterPath outline;
        outline.addRoundedRect(box.m_x - box.m_width / 2, box.m_y - box.m_height / 2, box.m_width,
                               box.m_height, 6, 6);
        auto* item = m_scene->addPath(
            outline,
            box.m_error ? QPen(QColor(0xd0, 0x20, 0x20), 3.0) : QPen(QColor(0x60, 0x60, 0x60)),
            QBrush(FillOf(box.m_role)));
        item->setData(kBoxIndexKey, qulonglong(index));
        const bool nested = box.m_node->GetNodeType() == kNodeGraphType;
        item->setToolTip(nested ? "Double-click to open this node's project"
                                : QString::fromStdString(box.m_node->GetTypeName()));
        // Line by line, each centred, as Graphviz sized the box.
        const QStringList lines = QString::fromStdString(box.m_label).split(QLatin1Char('\n'));
        const QFontMetricsF metrics(font);
        double y = box.m_y - metrics.height() * double(lines.size()) / 2;
        for (const QString& line : lines) {
            auto* text = m_scene->addSimpleText(line, font);
            text->setData(kBoxIndexKey, qulonglong(index));
            text->setPos(box.m_x - metrics.horizontalAdvance(line) / 2, y);
            y += metrics.height();
        }
    }
    m_scene->setSceneRect(-10, -10, picture->GetWidth() + 20, picture->GetHeight() + 20);
    FitToView();
}

void GraphView::FitToView() {
    // Large graphs show whole, small ones at their own size.
    m_view->resetTransform();
    const QRectF shown = m_view->viewport()->rect();
    const QRectF scene = m_scene->sceneRect();
    if (scene.width() > shown.width() || scene.height() > shown.height()) {
        m_view->fitInView(scene, Qt::KeepAspectRatio);
    }
}

void GraphView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitToView();
}

void GraphView::SetMessage(const QString& message) {
    m_message = message;
    m_title->setText(message);
    m_title->setToolTip(message);
}
