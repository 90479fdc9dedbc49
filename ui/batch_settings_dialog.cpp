#include "ui/batch_settings_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "batch/batch_texts.h"

namespace stillpix {

namespace {

QRadioButton* Radio(QButtonGroup* group, int id, const char* text, QGridLayout* grid, int row) {
    auto* radio = new QRadioButton(text);
    group->addButton(radio, id);
    grid->addWidget(radio, row, 0);
    return radio;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CBatchSettingsDialog::CBatchSettingsDialog(const BatchSettings& settings,
                                           const PresetTable& filters, QWidget* parent)
    : QDialog(parent), current_(settings), result_(settings) {
    setWindowTitle("Batch Settings");
    auto* column = new QVBoxLayout(this);
    const auto group = [&](const char* title) {
        auto* box = new QGroupBox(title, this);
        auto* grid = new QGridLayout(box);
        column->addWidget(box);
        return grid;
    };

    QGridLayout* filter = group("Noise Filter");
    filterRadios_ = new QButtonGroup(this);
    Radio(filterRadios_, 0, "Use Current", filter, 0);
    Radio(filterRadios_, 1, "Specify", filter, 1);
    filterList_ = new QComboBox(this);
    for (int i = 0; i < filters.count; ++i)
        filterList_->addItem(Text(filters.slots[std::size_t(i)].name));
    filter->addWidget(filterList_, 1, 1);

    QGridLayout* destination = group("Destination ");
    destinationRadios_ = new QButtonGroup(this);
    Radio(destinationRadios_, kSameAsSource, "Same As Source Location", destination, 0);
    Radio(destinationRadios_, kSubfolder, "Subfolder", destination, 1);
    subfolder_ = new QLineEdit(this);
    destination->addWidget(subfolder_, 1, 1, 1, 2);
    Radio(destinationRadios_, kOtherLocation, "Other Location", destination, 2);
    browse_ = new QPushButton("Browse", this);
    destination->addWidget(browse_, 2, 2);
    otherLocation_ = new QLineEdit(this);
    destination->addWidget(otherLocation_, 3, 0, 1, 3);

    QGridLayout* name = group("Output File Name");
    nameRadios_ = new QButtonGroup(this);
    Radio(nameRadios_, 0, "Same As Original File Name", name, 0);
    Radio(nameRadios_, 1, "Add Suffix", name, 1);
    suffix_ = new QLineEdit(this);
    name->addWidget(suffix_, 1, 1);

    QGridLayout* format = group("Output File Format");
    formatRadios_ = new QButtonGroup(this);
    Radio(formatRadios_, kFormatKeep, "Same As Original File", format, 0);
    Radio(formatRadios_, kFormatPng, "PNG", format, 1);
    Radio(formatRadios_, kFormatJpeg, "JPEG", format, 2);
    qualityLabel_ = new QLabel("Quality:", this);
    quality_ = new QSlider(Qt::Horizontal, this);
    quality_->setRange(0, 100);
    qualityPercent_ = new QLabel(this);
    format->addWidget(qualityLabel_, 2, 1);
    format->addWidget(quality_, 2, 2);
    format->addWidget(qualityPercent_, 2, 3);
    Radio(formatRadios_, kFormatTiff, "TIFF", format, 3);
    tiffDepthLabel_ = new QLabel("Bit rate:", this);
    tiffDepth_ = new QComboBox(this);
    for (const char* depth : kTiffDepthNames) tiffDepth_->addItem(depth);
    format->addWidget(tiffDepthLabel_, 3, 1);
    format->addWidget(tiffDepth_, 3, 2);
    // One line: a wrapped label in a grid is given too little height and loses its end.
    tiffNote_ = new QLabel(kTiffDepthNote, this);
    format->addWidget(tiffNote_, 4, 0, 1, 4);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const BatchSettingsForm form = OpenBatchSettingsForm(settings, filters.count);
    filterRadios_->button(form.specifyFilter ? 1 : 0)->setChecked(true);
    filterList_->setCurrentIndex(form.filterSelection);
    if (QAbstractButton* radio = destinationRadios_->button(form.destination))
        radio->setChecked(true);
    subfolder_->setText(Text(form.subfolderText));
    otherLocation_->setText(Text(form.otherLocationText));
    nameRadios_->button(form.addSuffix ? 1 : 0)->setChecked(true);
    suffix_->setText(Text(form.suffixText));
    if (QAbstractButton* radio = formatRadios_->button(form.format)) radio->setChecked(true);
    quality_->setValue(form.quality);
    tiffDepth_->setCurrentIndex(form.tiffDepthSelection);

    for (QButtonGroup* radios : {filterRadios_, destinationRadios_, nameRadios_, formatRadios_})
        connect(radios, &QButtonGroup::idClicked, this, &CBatchSettingsDialog::ApplyEnabling);
    connect(tiffDepth_, &QComboBox::currentIndexChanged, this,
            &CBatchSettingsDialog::ApplyEnabling);
    connect(quality_, &QSlider::valueChanged, this, &CBatchSettingsDialog::ApplyEnabling);
    connect(browse_, &QPushButton::clicked, this, &CBatchSettingsDialog::Browse);
    chooseFolder_ = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QString::fromUtf8(kBrowseDestinationTitle),
                                                 start);
    };
    ApplyEnabling();
}

BatchSettingsForm CBatchSettingsDialog::Form() const {
    BatchSettingsForm form;
    form.specifyFilter = filterRadios_->checkedId() == 1;
    form.filterSelection = std::max(0, filterList_->currentIndex());
    form.destination = destinationRadios_->checkedId();
    form.subfolderText = subfolder_->text().toStdString();
    form.otherLocationText = otherLocation_->text().toStdString();
    form.addSuffix = nameRadios_->checkedId() == 1;
    form.suffixText = suffix_->text().toStdString();
    form.format = formatRadios_->checkedId();
    form.quality = quality_->value();
    form.tiffDepthSelection = std::max(0, tiffDepth_->currentIndex());
    return form;
}

void CBatchSettingsDialog::ApplyEnabling() {
    const BatchSettingsEnabling enabled = EnablingFor(Form());
    subfolder_->setEnabled(enabled.subfolderText);
    browse_->setEnabled(enabled.otherLocation);
    otherLocation_->setEnabled(enabled.otherLocation);
    filterList_->setEnabled(enabled.filterList);
    suffix_->setEnabled(enabled.suffixText);
    for (QWidget* control : {static_cast<QWidget*>(qualityLabel_), static_cast<QWidget*>(quality_),
                             static_cast<QWidget*>(qualityPercent_)})
        control->setEnabled(enabled.quality);
    tiffDepthLabel_->setEnabled(enabled.tiffDepth);
    tiffDepth_->setEnabled(enabled.tiffDepth);
    tiffNote_->setEnabled(enabled.tiffDepthNote);
    qualityPercent_->setText(Text(QualityText(quality_->value())));
}

void CBatchSettingsDialog::Browse() {
    const QString chosen = chooseFolder_(otherLocation_->text());
    if (!chosen.isEmpty()) otherLocation_->setText(chosen);
}

void CBatchSettingsDialog::accept() {
    result_ = AcceptBatchSettingsForm(Form(), current_);
    QDialog::accept();
}

}  // namespace stillpix
