#pragma once

#include <QImage>
#include <QWidget>

class Image;
class Node;
class QVBoxLayout;

// Shows a node's outplug values: images and the images of materials as pictures, the other types
// as text, and every error state the node reported on an outplug. Show rebuilds the view from the
// values the node holds now; it does not evaluate.
//
// Each output's widget is named "output_<outplug name>".
class OutputsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxPictureSize = 384;

    explicit OutputsView(QWidget* parent = nullptr);

    void Show(Node* node);

    // 8-bit straight-alpha copy of the image, each channel clamped to 0..1.
    static QImage ToQImage(const Image& image);

private:
    QWidget* MakeOutput(Node* node, uint32_t outplug);

    QVBoxLayout* m_layout;
};
