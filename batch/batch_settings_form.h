// The rules of the "Batch Settings" dialog over the record: what the controls show when it
// opens, what they enable, what OK writes back, and the pane's four-line summary. The dialog
// itself only binds its controls to a BatchSettingsForm.
#pragma once

#include <string>

#include "settings/batch_settings.h"
#include "settings/preset_table.h"

namespace stillpix {

struct BatchSettingsForm {
    bool specifyFilter = false;  // radio "Specify" (else "Use Current")
    int filterSelection = 0;     // index into the filter list
    // radios "Same As Source Location", "Subfolder", "Other Location"
    int destination = kSameAsSource;
    std::string subfolderText;
    std::string otherLocationText;
    bool addSuffix = false;  // radio "Add Suffix" (else "Same As Original File Name")
    std::string suffixText;
    int format = kFormatKeep;  // radios "Same As Original File", PNG, JPEG, TIFF
    int quality = 90;          // slider, 0..100
    int tiffDepthSelection = kTiffDepth48;
};

struct BatchSettingsEnabling {
    bool subfolderText = false;
    bool otherLocation = false;  // "Browse" and its text box
    bool filterList = false;
    bool suffixText = false;
    bool quality = false;    // "Quality:", the slider and its percentage
    bool tiffDepth = false;  // "Bit rate:" and its list
    bool tiffDepthNote = false;
};

// The controls as the dialog opens on `settings` with `filterCount` filters in its list. A
// filter index past the list (a deleted custom filter) opens as "Use Current".
BatchSettingsForm OpenBatchSettingsForm(const BatchSettings& settings, int filterCount);

BatchSettingsEnabling EnablingFor(const BatchSettingsForm& form);

// The slider's percentage, "%d%%".
std::string QualityText(int quality);

// OK: the record the controls describe. Texts are cut to 20 (suffix) and 259 (path) bytes,
// never inside a UTF-8 character; nothing is validated otherwise. Fields the dialog does not
// show (checksum, reserved) are taken from `current`.
BatchSettings AcceptBatchSettingsForm(const BatchSettingsForm& form, const BatchSettings& current);

// The four summary lines joined by "\r\n".
std::string BatchSettingsSummary(const BatchSettings& settings, const PresetTable& filters);

}  // namespace stillpix
