#include "programs/view/OutputsView.h"

#include <algorithm>
#include <string>

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "host/Image.h"
#include "host/Material.h"
#include "host/Node.h"
#include "programs/quillmar/ValueFormat.h"

namespace {

QLabel* MakePicture(const Image* image, QWidget* parent) {
    auto* label = new QLabel(parent);
    if (!image || image->IsEmpty()) {
        label->setText("none");
        return label;
    }
    QPixmap pixmap = QPixmap::fromImage(OutputsView::ToQImage(*image));
    if (pixmap.width() > OutputsView::kMaxPictureSize ||
        pixmap.height() > OutputsView::kMaxPictureSize) {
        pixmap = pixmap.scaled(OutputsView::kMaxPictureSize, OutputsView::kMaxPictureSize,
                               Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    label->setPixmap(pixmap);
    label->setToolTip(QString("%1 x %2").arg(image->GetWidth()).arg(image->GetHeight()));
    return label;
}

QString NumbersText(const double* values, int count) {
    return QString::fromStdString(ValueFormat::Numbers(values, count));
}

}  // namespace

OutputsView::OutputsView(QWidget* parent) : QWidget(parent), m_layout(new QVBoxLayout(this)) {
    m_layout->setAlignment(Qt::AlignTop);
}

QImage OutputsView::ToQImage(const Image& image) {
    QImage result(int(image.GetWidth()), int(image.GetHeight()), QImage::Format_RGBA8888);
    const float* source = image.GetData();
    for (uint32_t y = 0; y < image.GetHeight(); ++y) {
        uchar* row = result.scanLine(int(y));
        const size_t count = size_t(image.GetWidth()) * Image::kChannels;
        for (size_t i = 0; i < count; ++i) {
            const float value = std::clamp(source[i], 0.0f, 1.0f);
            row[i] = uchar(value * 255.0f + 0.5f);
        }
        source += count;
    }
    return result;
}

void OutputsView::Show(Node* node) {
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (!node || node->GetNumOutplugs() == 0) {
        m_layout->addWidget(new QLabel("The project has no outputs.", this));
        return;
    }
    for (uint32_t outplug = 0; outplug < node->GetNumOutplugs(); ++outplug) {
        m_layout->addWidget(MakeOutput(node, outplug));
    }
}

QWidget* OutputsView::MakeOutput(Node* node, uint32_t outplug) {
    const std::string& name = node->GetOutplugName(outplug);
    const Node::Value::Type type = node->GetOutplugValueType(outplug);
    auto* box = new QWidget(this);
    box->setObjectName(QString::fromStdString("output_" + name));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 8);
    auto* title = new QLabel(
        QString("<b>%1</b> (%2)")
            .arg(QString::fromStdString(name).toHtmlEscaped(), ValueFormat::TypeWord(type)),
        box);
    layout->addWidget(title);

    switch (type) {
        case Node::Value::Image:
            layout->addWidget(MakePicture(node->GetImageValue(outplug), box));
            break;
        case Node::Value::Material: {
            const Material* material = node->GetMaterialValue(outplug);
            auto* row = new QHBoxLayout;
            if (!material || material->GetImageNames().empty()) {
                row->addWidget(new QLabel("none", box));
            } else {
                for (const std::string& image_name : material->GetImageNames()) {
                    auto* column = new QVBoxLayout;
                    column->addWidget(new QLabel(QString::fromStdString(image_name), box));
                    column->addWidget(MakePicture(material->GetImage(image_name), box));
                    row->addLayout(column);
                }
            }
            row->addStretch();
            layout->addLayout(row);
            break;
        }
        default: {
            QString text;
            switch (type) {
                case Node::Value::Boolean:
                    text = node->GetBooleanValue(outplug) ? "true" : "false";
                    break;
                case Node::Value::Number: {
                    const double value = node->GetNumberValue(outplug);
                    text = NumbersText(&value, 1);
                    break;
                }
                case Node::Value::Point: {
                    const Point point = node->GetPointValue(outplug);
                    const double values[] = {point.x, point.y};
                    text = NumbersText(values, 2);
                    break;
                }
                case Node::Value::Frame: {
                    const Frame frame = node->GetFrameValue(outplug);
                    const double values[] = {frame.x, frame.y, frame.width, frame.height};
                    text = NumbersText(values, 4);
                    break;
                }
                case Node::Value::Rgbo: {
                    const Rgbo rgbo = node->GetRgboValue(outplug);
                    const double values[] = {rgbo.r, rgbo.g, rgbo.b, rgbo.o};
                    text = NumbersText(values, 4);
                    break;
                }
                case Node::Value::String:
                    text = QString::fromStdString(node->GetStringValue(outplug));
                    break;
                case Node::Value::Curve: {
                    const auto* curves = node->GetCurveValue(outplug);
                    text = QString("%1 curves").arg(curves ? curves->size() : 0);
                    break;
                }
                default:
                    text = "none";
                    break;
            }
            auto* value = new QLabel(text, box);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            layout->addWidget(value);
            break;
        }
    }

    std::vector<Node::StateReport> reports = node->GetStateReports(outplug);
    if (reports.empty() && node->GetState(outplug) > 0) {
        reports.push_back({node->GetState(outplug), node->GetStateMessage(outplug)});
    }
    for (const Node::StateReport& report : reports) {
        auto* state = new QLabel(QString::fromStdString(report.m_message).toHtmlEscaped(), box);
        state->setStyleSheet("color: #b00020;");
        state->setWordWrap(true);
        layout->addWidget(state);
    }
    return box;
}
