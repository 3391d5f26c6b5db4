#include "programs/view/EvaluationProgress.h"

#include <chrono>
#include <cmath>

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "host/EvaluationControl.h"

namespace {

QString Duration(double seconds) {
    const long total = std::lround(seconds);
    return total >= 3600 ? QString("%1:%2:%3")
                               .arg(total / 3600)
                               .arg(total / 60 % 60, 2, 10, QChar('0'))
                               .arg(total % 60, 2, 10, QChar('0'))
                         : QString("%1:%2").arg(total / 60).arg(total % 60, 2, 10, QChar('0'));
}

}  // namespace

EvaluationProgress::EvaluationProgress(QWidget* parent)
    : QWidget(parent),
      m_label(new QLabel),
      m_bar(new QProgressBar),
      m_cancel(new QPushButton(tr("Cancel"))) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar, 1);
    layout->addWidget(m_label);
    layout->addWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &EvaluationProgress::CancelRequested);
    hide();
}

void EvaluationProgress::Show(const EvaluationControl& control) {
    m_cancel->show();
    const auto& levels = control.GetRuns();
    if (levels.empty()) {
        // Nothing counts runs: a busy bar.
        m_bar->setRange(0, 0);
        m_label->setText(tr("Evaluating"));
    } else {
        const EvaluationControl::Runs& outer = levels.front();
        m_bar->setRange(0, 1000);
        m_bar->setValue(outer.m_asked > 0 ? int(1000 * outer.m_done / outer.m_asked) : 0);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - control.GetRunsStart())
                .count();
        const double rate = elapsed > 0.0 ? double(outer.m_done) / elapsed : 0.0;
        QString text = tr("%L1 of %L2 runs, %L3 runs/s")
                           .arg(outer.m_done)
                           .arg(outer.m_asked)
                           .arg(rate, 0, 'f', 1);
        if (rate > 0.0) {
            text += tr(", %1 left").arg(Duration(double(outer.m_asked - outer.m_done) / rate));
        }
        m_label->setText(text);
    }
    show();
}

void EvaluationProgress::Finish(bool cancelled) {
    if (!cancelled) {
        hide();
        return;
    }
    m_cancel->hide();
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    m_label->setText(tr("Cancelled: the outputs are those of the last finished evaluation"));
    show();
}
