#pragma once

#include <QWidget>

class EvaluationControl;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a running evaluation above the outputs: the runs of the outermost repeating node
// done out of those asked, their rate and the time left, and a Cancel button.
class EvaluationProgress : public QWidget {
    Q_OBJECT
public:
    explicit EvaluationProgress(QWidget* parent = nullptr);

    void Show(const EvaluationControl& control);
    // Hidden after an evaluation that finished; after one that was cancelled, says so.
    void Finish(bool cancelled);

    QPushButton* GetCancelButton() const { return m_cancel; }

signals:
    void CancelRequested();

private:
    QLabel* m_label;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
};
