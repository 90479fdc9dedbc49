// CBatchSettingsDialog ("Batch Settings"): the filter, destination, output name and format of a
// batch run. Its controls only show and collect a BatchSettingsForm; what they enable and what OK
// writes are the form's rules.
#pragma once

#include <QDialog>
#include <functional>

#include "batch/batch_settings_form.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace stillpix {

class CBatchSettingsDialog : public QDialog {
    Q_OBJECT
public:
    CBatchSettingsDialog(const BatchSettings& settings, const PresetTable& filters,
                         QWidget* parent = nullptr);

    // The record OK describes (valid after Accepted).
    const BatchSettings& Result() const { return result_; }
    // The controls as a form (what OK would take).
    BatchSettingsForm Form() const;
    // "Browse" asks for a folder through this (a folder dialog by default); empty: cancelled.
    void SetFolderChooser(std::function<QString(const QString& start)> choose) {
        chooseFolder_ = std::move(choose);
    }

    QButtonGroup* FilterRadios() const { return filterRadios_; }
    QButtonGroup* DestinationRadios() const { return destinationRadios_; }
    QButtonGroup* NameRadios() const { return nameRadios_; }
    QButtonGroup* FormatRadios() const { return formatRadios_; }
    QComboBox* FilterList() const { return filterList_; }
    QLineEdit* SubfolderText() const { return subfolder_; }
    QLineEdit* OtherLocationText() const { return otherLocation_; }
    QPushButton* BrowseButton() const { return browse_; }
    QLineEdit* SuffixText() const { return suffix_; }
    QSlider* QualitySlider() const { return quality_; }
    QLabel* QualityPercent() const { return qualityPercent_; }
    QComboBox* TiffDepthList() const { return tiffDepth_; }
    QLabel* TiffDepthNote() const { return tiffNote_; }

    void accept() override;

private:
    void ApplyEnabling();
    void Browse();

    BatchSettings current_;
    BatchSettings result_;
    std::function<QString(const QString&)> chooseFolder_;
    QButtonGroup* filterRadios_;
    QButtonGroup* destinationRadios_;
    QButtonGroup* nameRadios_;
    QButtonGroup* formatRadios_;
    QComboBox* filterList_;
    QLineEdit* subfolder_;
    QLineEdit* otherLocation_;
    QPushButton* browse_;
    QLineEdit* suffix_;
    QLabel* qualityLabel_;
    QSlider* quality_;
    QLabel* qualityPercent_;
    QLabel* tiffDepthLabel_;
    QComboBox* tiffDepth_;
    QLabel* tiffNote_;
};

}  // namespace stillpix
