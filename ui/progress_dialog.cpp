#include "ui/progress_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "document/document_texts.h"

namespace stillpix {

namespace {
constexpr int kTickMilliseconds = 50;
}

CProgressDialog::CProgressDialog(ProgressDialogModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(kProgressTitle);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    text_ = new QLabel(this);
    text_->setMinimumWidth(320);
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setEnabled(false);
    layout->addWidget(bar_);
    layout->addWidget(text_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, &CProgressDialog::reject);
    connect(&timer_, &QTimer::timeout, this, &CProgressDialog::Tick);
    timer_.start(kTickMilliseconds);
    // The first step at once: the dialog shows its text from the start.
    QTimer::singleShot(0, this, &CProgressDialog::Tick);
}

void CProgressDialog::Tick() {
    const ProgressDialogModel::Step step = model_.Tick();
    ShowModel();
    if (step == ProgressDialogModel::Step::kWait) return;
    timer_.stop();
    if (step == ProgressDialogModel::Step::kEndOk) accept();
    else QDialog::reject();
}

void CProgressDialog::ShowModel() {
    text_->setText(QString::fromStdString(model_.Text()));
    bar_->setValue(model_.Bar().Position());
    cancel_->setEnabled(model_.CancelEnabled());
}

void CProgressDialog::reject() {
    if (!model_.CancelEnabled()) return;
    timer_.stop();
    model_.Cancel();
    QDialog::reject();
}

}  // namespace stillpix
