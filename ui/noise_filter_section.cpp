#include "ui/noise_filter_section.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "settings/preset_selection.h"

namespace stillpix {
namespace {

constexpr int kDegreeField = 0;
constexpr int kLuminanceLevelField = 1;
constexpr int kFirstBandLevelField = 3;
constexpr int kSharpeningField = 7;
constexpr int kLuminanceSuppressionField = 10;
constexpr int kFirstBandSuppressionField = 12;
const char* const kBandNames[kFilterBands] = {"High Freq", "Mid Freq", "Low Freq", "Very Low"};
const char* const kMoreControls = "More Controls >>";
const char* const kLessControls = "Less Controls <<";

}  // namespace

CNoiseFilterSection::CNoiseFilterSection(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);

    auto* presetRow = new QHBoxLayout;
    auto* presetLabel = new QLabel(tr("Settings"), this);
    presets_ = new QComboBox(this);
    presets_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    presetLabel->setBuddy(presets_);
    presetRow->addWidget(presetLabel);
    presetRow->addWidget(presets_, 1);
    layout->addLayout(presetRow);
    auto* commands = new QHBoxLayout;
    save_ = new QPushButton(tr("Save Settings"), this);
    delete_ = new QPushButton(tr("Delete"), this);
    commands->addStretch(1);
    commands->addWidget(save_);
    commands->addWidget(delete_);
    layout->addLayout(commands);

    layout->addWidget(AddGroup(tr("Noise Level Adjustment"), kLuminanceLevelField,
                               kFirstBandLevelField, -20, 40));
    layout->addWidget(AddGroup(tr("Noise Suppression"), kLuminanceSuppressionField,
                               kFirstBandSuppressionField, 0, 20));

    auto* tail = new QWidget(this);
    auto* tailGrid = new QGridLayout(tail);
    tailGrid->setContentsMargins(0, 0, 0, 0);
    AddSlider(tail, 0, tr("Sharpening"), kSharpeningField, -5, 5);
    auto* degreeLabel = new QLabel(tr("Processing Degree"), tail);
    degree_ = new QComboBox(tail);
    for (const char* name : kProcessingDegreeNames) degree_->addItem(tr(name));
    degreeLabel->setBuddy(degree_);
    tailGrid->addWidget(degreeLabel, 1, 0);
    tailGrid->addWidget(degree_, 1, 1, 1, 2);
    expandedOnly_.insert(expandedOnly_.end(), {degreeLabel, degree_});
    layout->addWidget(tail);

    more_ = new QPushButton(this);
    layout->addWidget(more_, 0, Qt::AlignRight);

    connect(presets_, &QComboBox::activated, this, &CNoiseFilterSection::PresetChosen);
    connect(save_, &QPushButton::clicked, this, &CNoiseFilterSection::SaveClicked);
    connect(delete_, &QPushButton::clicked, this, &CNoiseFilterSection::DeleteClicked);
    connect(degree_, &QComboBox::activated, this, &CNoiseFilterSection::ControlsChanged);
    connect(more_, &QPushButton::clicked, this, [this] { SetExpanded(!expanded_); });
    SetExpanded(false);
}

QWidget* CNoiseFilterSection::AddGroup(const QString& title, int firstField, int firstBandField,
                                       int low, int high) {
    auto* group = new QGroupBox(title, this);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 4, 4, 4);
    AddSlider(group, 0, tr("Luminance"), firstField, low, high);
    AddSlider(group, 1, tr("Color"), firstField + 1, low, high);
    auto* separator = new QFrame(group);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    grid->addWidget(separator, 2, 0, 1, 3);
    expandedOnly_.push_back(separator);
    for (int b = 0; b < kFilterBands; ++b) {
        QSlider* slider = AddSlider(group, 3 + b, tr(kBandNames[b]), firstBandField + b, low, high);
        expandedOnly_.insert(expandedOnly_.end(), {grid->itemAtPosition(3 + b, 0)->widget(), slider,
                                                   values_[firstBandField + b]});
    }
    return group;
}

QSlider* CNoiseFilterSection::AddSlider(QWidget* group, int row, const QString& name, int field,
                                        int low, int high) {
    auto* grid = static_cast<QGridLayout*>(group->layout());
    auto* nameLabel = new QLabel(name, group);
    auto* slider = new QSlider(Qt::Horizontal, group);
    auto* value = new QLabel(group);
    slider->setRange(low, high);
    slider->setPageStep(std::max(1, (high - low) / 5));
    nameLabel->setBuddy(slider);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("+200%")));
    grid->addWidget(nameLabel, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(value, row, 2);
    grid->setColumnStretch(1, 1);
    sliders_[field] = slider;
    values_[field] = value;
    // A drag updates only its label until the slider is let go; other moves count at once.
    connect(slider, &QSlider::valueChanged, this, [this, slider, value, field](int v) {
        value->setText(QString::fromStdString(FilterValueLabel(field, v)));
        if (!slider->isSliderDown()) Q_EMIT ControlsChanged();
    });
    connect(slider, &QSlider::sliderReleased, this, &CNoiseFilterSection::ControlsChanged);
    return slider;
}

void CNoiseFilterSection::ShowSettings(const FilterSettings& settings) {
    const auto fields = FilterFieldValues(settings);
    for (int field = 0; field < kFilterFields; ++field) {
        if (!sliders_[field]) continue;
        const QSignalBlocker quiet(sliders_[field]);
        sliders_[field]->setValue(fields[field]);
    }
    const QSignalBlocker quiet(degree_);
    degree_->setCurrentIndex(fields[kDegreeField]);
    ShowLabels(settings);
}

FilterSettings CNoiseFilterSection::ReadSettings(const FilterSettings& base) const {
    auto fields = FilterFieldValues(base);
    for (int field = 0; field < kFilterFields; ++field)
        if (sliders_[field]) fields[field] = sliders_[field]->value();
    // Hidden in compact mode, the degree list still holds the value that applies.
    fields[kDegreeField] = std::max(0, degree_->currentIndex());
    return FilterSettingsFromValues(fields);
}

void CNoiseFilterSection::ShowLabels(const FilterSettings& settings) {
    const auto fields = FilterFieldValues(settings);
    for (int field = 0; field < kFilterFields; ++field)
        if (values_[field])
            values_[field]->setText(QString::fromStdString(FilterValueLabel(field, fields[field])));
}

void CNoiseFilterSection::SetExpanded(bool expanded) {
    expanded_ = expanded;
    for (QWidget* widget : expandedOnly_) widget->setVisible(expanded);
    more_->setText(expanded ? tr(kLessControls) : tr(kMoreControls));
}

}  // namespace stillpix
