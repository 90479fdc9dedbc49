#include "ui/batch_progress_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "batch/batch_texts.h"

namespace stillpix {

namespace {
constexpr int kTickMilliseconds = 50;
constexpr int kLabelWidth = 380;
}  // namespace

CBatchProgressDialog::CBatchProgressDialog(BatchProgressDialogModel& model, QWidget* parent)
    : QDialog(parent), model_(model), ask_(MessageBoxPrompter(this)) {
    setWindowTitle("Batch Progress Window");
    setWindowModality(Qt::ApplicationModal);
    auto* column = new QVBoxLayout(this);
    for (QLabel*& label : labels_) {
        label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
    }
    // A long file name is cut rather than widening the window under the user's eyes.
    for (QLabel* label : {labels_[0], labels_[1]}) {
        label->setMinimumWidth(kLabelWidth);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    imageBar_ = new QProgressBar(this);
    overallBar_ = new QProgressBar(this);
    for (QProgressBar* bar : {imageBar_, overallBar_}) {
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    column->addWidget(labels_[0]);
    column->addWidget(imageBar_);
    column->addWidget(labels_[1]);
    column->addWidget(overallBar_);
    auto* times = new QFormLayout;
    times->addRow("Time Elapsed:", labels_[2]);
    times->addRow("Time Remaining:", labels_[3]);
    column->addLayout(times);
    cancel_ = new QPushButton("Cancel", this);
    column->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, &CBatchProgressDialog::reject);
    for (int selector = kTextFile; selector <= kTextRemaining; ++selector) ShowText(selector);

    // ProgressTextMessage: a text or the lower bar.
    model_.onText = [this](int selector) {
        if (selector == 0) overallBar_->setValue(model_.OverallPosition());
        else ShowText(selector);
    };
    // ProgressDoneMessage: the lower bar full, and the window closes (after an open question).
    model_.onDone = [this] {
        overallBar_->setValue(100);
        runEnded_ = true;
        if (!asking_) done(QDialog::Rejected);
    };
    connect(&timer_, &QTimer::timeout, this, &CBatchProgressDialog::Tick);
    timer_.start(kTickMilliseconds);
    QTimer::singleShot(0, this, &CBatchProgressDialog::Tick);
}

CBatchProgressDialog::~CBatchProgressDialog() {
    // After done() the model may serve the next run's window already.
    if (!closed_) Disconnect();
}

void CBatchProgressDialog::Disconnect() {
    closed_ = true;
    timer_.stop();
    model_.Close();
    model_.onText = nullptr;
    model_.onDone = nullptr;
}

QLabel* CBatchProgressDialog::Label(int selector) const {
    return selector >= kTextFile && selector <= kTextRemaining ? labels_[selector - 1] : nullptr;
}

void CBatchProgressDialog::ShowText(int selector) {
    labels_[selector - 1]->setText(QString::fromStdString(model_.Text(selector)));
}

void CBatchProgressDialog::Tick() {
    if (model_.Tick() == BatchProgressDialogModel::Step::kEnd) {
        runEnded_ = true;
        if (!asking_) done(QDialog::Rejected);
        return;
    }
    imageBar_->setValue(model_.ImagePosition());
}

void CBatchProgressDialog::reject() {
    if (runEnded_ || asking_ || closed_) return;
    asking_ = true;
    const MessageAnswer answer =
        ask_(UserMessage{MessageKind::kQuestion, kCancelBatchQuestion, MessageButtons::kYesNo});
    asking_ = false;
    // A run that ended while the question was open closes the window either way.
    if (answer == MessageAnswer::kYes || runEnded_) done(QDialog::Rejected);
}

void CBatchProgressDialog::done(int result) {
    if (!closed_) Disconnect();
    QDialog::done(result);
}

void CBatchSummaryDialog::Show(QWidget* parent, const std::string& elapsedText,
                               const BatchCounts& counts) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Batch Processing Summary");
    auto* column = new QVBoxLayout(&dialog);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(&dialog);
    const int iconSize = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(
        dialog.style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(iconSize));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QLabel(QString::fromStdString(BatchCompletedText(elapsedText)), &dialog);
    row->addWidget(text, 1);
    column->addLayout(row);
    auto* form = new QFormLayout;
    const auto count = [&](const char* label, int64_t value) {
        auto* number = new QLabel(QString::number(value), &dialog);
        number->setObjectName(label);
        form->addRow(label, number);
    };
    count(kImagesProcessedLabel, counts.processed);
    count(kImagesFailedLabel, counts.failed);
    count(kImagesSkippedLabel, counts.skipped);
    column->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    column->addWidget(buttons);
    dialog.exec();
}

}  // namespace stillpix
