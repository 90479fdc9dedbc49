// The "Noise Filter" section of the left pane: the preset list with its two commands, a slider
// with name and value label for every field the user sets, "Processing Degree" and the
// compact/expanded switch. It shows settings and reads them back; the pane owns the rules.
#pragma once

#include <array>
#include <vector>

#include <QWidget>

#include "settings/filter_settings.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace stillpix {

class CNoiseFilterSection : public QWidget {
    Q_OBJECT
public:
    explicit CNoiseFilterSection(QWidget* parent = nullptr);

    QComboBox* PresetList() const { return presets_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* MoreButton() const { return more_; }
    QComboBox* DegreeList() const { return degree_; }
    // The slider and value label of a field of FilterSettings; none for fields without one.
    QSlider* Slider(int field) const { return sliders_[field]; }
    QLabel* ValueLabel(int field) const { return values_[field]; }

    // Puts the values into the controls and their labels; emits nothing.
    void ShowSettings(const FilterSettings& settings);
    // The controls' values; the fields no control edits come from `base`.
    FilterSettings ReadSettings(const FilterSettings& base) const;
    void ShowLabels(const FilterSettings& settings);

    bool Expanded() const { return expanded_; }
    // Shows or hides the per-band sliders, their separators and "Processing Degree".
    void SetExpanded(bool expanded);

Q_SIGNALS:
    // A slider was let go (or moved by keyboard or wheel), or a degree was chosen.
    void ControlsChanged();
    void PresetChosen(int slot);
    void SaveClicked();
    void DeleteClicked();

private:
    QWidget* AddGroup(const QString& title, int firstField, int firstBandField, int low, int high);
    QSlider* AddSlider(QWidget* group, int row, const QString& name, int field, int low, int high);

    QComboBox* presets_;
    QPushButton* save_;
    QPushButton* delete_;
    QPushButton* more_;
    QComboBox* degree_;
    std::array<QSlider*, kFilterFields> sliders_{};
    std::array<QLabel*, kFilterFields> values_{};
    std::vector<QWidget*> expandedOnly_;
    bool expanded_ = true;
};

}  // namespace stillpix
