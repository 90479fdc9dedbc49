// The preset pictures (a strip of seven 16-pixel pictures kept as a resource) and the preset
// lists that show them: the pane's and the toolbar's drop-downs.
#pragma once

#include <QIcon>

#include "settings/preset_table.h"

class QComboBox;

namespace stillpix {

constexpr int kPresetPictureSize = 16;
constexpr int kPresetPictureCount = 7;
// Item data of a preset list: 1 for the custom filters, shown one picture width in.
constexpr int kPresetIndentRole = Qt::UserRole + 1;

// The picture of a preset's image index (PresetImage); an index outside the strip gives the
// general picture.
QIcon PresetIcon(int imageIndex);

// Fills `box` with one item a slot (name, picture, custom filters indented) and selects
// `selectSlot`, without emitting selection signals.
void FillPresetList(QComboBox& box, const PresetTable& table, int selectSlot);

// Selects `slot` in a list filled by FillPresetList without emitting selection signals.
void ShowPresetInList(QComboBox& box, int slot);

}  // namespace stillpix
