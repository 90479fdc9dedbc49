#include "ui/profile_section.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/level_box.h"

namespace stillpix {
namespace {

const char* const kProfileBandNames[kProfileBands] = {"High", "Mid", "Low", "Very Low"};
constexpr int kMinimumGraphHeight = 80;

}  // namespace

void ShowProfileBand(CLevelBox& graph, const NoiseProfile& profile, int band, bool grey) {
    band = std::clamp(band, 0, kProfileBandSlots - 1);
    const ProfileBand& levels = profile.bands[band];
    const int bins = std::clamp(levels.binCount, 0, kProfileBinSlots);
    const int curves = grey ? 1 : 3;
    graph.SetSize(curves, bins);
    for (int channel = 0; channel < curves; ++channel)
        for (int bin = 0; bin < bins; ++bin)
            graph.SetValue(channel, bin, levels.levels[bin][channel]);
    graph.SetColour(0, Qt::black);
    graph.SetColour(1, QColor(127, 0, 0));
    graph.SetColour(2, QColor(0, 0, 127));
    graph.update();
}

CProfileMainEmbDialog::CProfileMainEmbDialog(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    frequencyLabel_ = new QLabel(tr("Frequency"), this);
    frequencies_ = new QListWidget(this);
    for (const char* name : kProfileBandNames) frequencies_->addItem(tr(name));
    frequencies_->setFixedHeight(frequencies_->sizeHintForRow(0) * kProfileBands +
                                 2 * frequencies_->frameWidth());
    frequencyLabel_->setBuddy(frequencies_);
    graph_ = new CLevelBox(this);
    graph_->setMinimumHeight(kMinimumGraphHeight);
    text_ = new QLabel(this);
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    selfLearning_ = new QCheckBox(QString::fromUtf8(kSelfLearningBoxText), this);
    layout->addWidget(frequencyLabel_);
    layout->addWidget(frequencies_);
    layout->addWidget(graph_, 1);
    layout->addWidget(text_, 1);
    layout->addWidget(selfLearning_);
    // The list gives way before the graph does (resizeEvent), so it does not count here.
    setMinimumHeight(kMinimumGraphHeight + selfLearning_->sizeHint().height() + 16);

    connect(frequencies_, &QListWidget::currentRowChanged, this,
            &CProfileMainEmbDialog::BandChanged);
    connect(selfLearning_, &QCheckBox::clicked, this, &CProfileMainEmbDialog::SelfLearningClicked);
}

int CProfileMainEmbDialog::Band() const { return std::max(0, frequencies_->currentRow()); }

void CProfileMainEmbDialog::ShowProfile(const NoiseProfile& profile, bool grey) {
    if (frequencies_->currentRow() < 0) {
        const QSignalBlocker quiet(frequencies_);
        frequencies_->setCurrentRow(0);
    }
    ShowProfileBand(*graph_, profile, Band(), grey);
    text_->hide();
    graph_->show();
}

void CProfileMainEmbDialog::ShowText(const QString& text) {
    graph_->hide();
    text_->setText(text);
    text_->show();
}

void CProfileMainEmbDialog::ShowSelfLearning(const SelfLearningBoxState& state) {
    selfLearning_->setChecked(state.checked);
    selfLearning_->setEnabled(state.enabled);
}

void CProfileMainEmbDialog::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Too small for the list: the graph keeps the room.
    const int needed = frequencyLabel_->sizeHint().height() + frequencies_->height() +
                       kMinimumGraphHeight + selfLearning_->sizeHint().height() + 24;
    const bool fits = height() >= needed;
    frequencyLabel_->setVisible(fits);
    frequencies_->setVisible(fits);
}

}  // namespace stillpix
