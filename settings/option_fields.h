// The options sheet's controls as data: the record field each one edits, how its value is shown
// and stored, and its page. The window's pages bind widgets to these entries and
// `stillpix-cli options` reads and writes the same entries by name, so both keep one rule set.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/persisted_settings.h"
#include "settings/preset_table.h"

namespace stillpix {

enum class OptionsPage { kGeneral, kNoiseFilter, kNoiseProfile, kBatchAndBrowser };
constexpr int kOptionsPages = 4;

enum class OptionKind {
    kCheck,          // 0/1
    kInvertedCheck,  // the box set stores 0
    kChoice,         // an index into `choices`
    kZoom,           // editable list: percent, 0 for "Best Fit"
    kSlider,         // low..high with a "%d%%" value label
    kNumber,         // low..high; anything else gets IntegerRangeMessage
    kPreset,         // a preset slot, shown by its name
    kSuffix,         // text of at most kMaxSuffixBytes bytes
    kFolder,         // the learned-profile folder
};

constexpr std::size_t kMaxSuffixBytes = sizeof(AppSettings::defaultSuffix) - 1;  // 20

struct OptionField {
    const char* name;  // the control's text
    OptionsPage page;
    OptionKind kind;
    int32_t* (*field)(AppOptions&);  // the number field; null for the two texts
    int32_t low = 0, high = 1;
    std::span<const char* const> choices = {};
};

inline constexpr const char* kZoomChoices[] = {"400%", "200%", "100%", "50%", "25%", "Best Fit"};
inline constexpr const char* kIccChoices[] = {"Ask what to do", "Apply on open", "Do not apply"};
inline constexpr const char* kTiffChoices[] = {"24(8) bpp", "48(16) bpp*"};
inline constexpr const char* kTiffCompressionChoices[] = {"Deflate", "LZW", "None"};
inline constexpr const char* kPriorityChoices[] = {"Normal", "Low"};

// Every control that edits an option, page by page in the order the pages show them.
std::span<const OptionField> OptionFields();
const OptionField* FindOptionField(std::string_view name);  // exact name
// A name as a user types it: letters and digits compared ignoring case, and a prefix that
// only one control's name has will do. Null when none or several match.
const OptionField* LookUpOptionField(std::string_view typed);

// A number control's value as the page shows it: a check box's state (inverted where the
// field is), a list index, the zoom percent, the slider or number, the preset slot (0 for a
// slot outside the table).
int32_t ControlValue(const OptionField& field, const AppOptions& options,
                     const PresetTable& presets);
// Stores a number control's value (a check box 0/1; numbers brought into their range).
void StoreControlValue(const OptionField& field, int32_t value, AppOptions& options);

// The suffix or the profile folder.
std::string ControlText(const OptionField& field, const AppOptions& options);
// The suffix is cut to 20 bytes, never inside a character, and the whole field cleared first;
// an empty folder keeps the one in force (the store could save nowhere).
void StoreControlText(const OptionField& field, std::string_view text, AppOptions& options);

// "%d%%" of the percent, "Best Fit" for 0.
std::string ZoomText(int32_t zoom);
// The number the text starts with (blanks before it skipped), 0 when it starts with none;
// "25%" gives 25, "150" 150, "Best Fit" 0. Negative numbers give 0, huge ones the largest.
int32_t ZoomFromText(std::string_view text);
// "%d%%": the JPEG quality's value label.
std::string PercentText(int32_t value);
// The message of a number box outside its range: "Please enter an integer between %1 and %2."
// with the bounds put in.
std::string IntegerRangeMessage(int32_t low, int32_t high);

// The default filter slot after OK: the chosen list row when it bears `name`, else the first
// slot of that name, else `current` unchanged.
int32_t DefaultSlotForChoice(const PresetTable& presets, int chosenRow, std::string_view name,
                             int32_t current);

// For stillpix-cli: the value as the sheet shows it ("on"/"off", a list text, "Best Fit", a
// preset's name, ...), and setting it from such a text. False with a message when the text is
// not a value of the control; the options are then unchanged.
std::string OptionValueText(const OptionField& field, const AppOptions& options,
                            const PresetTable& presets);
bool SetOptionFromText(const OptionField& field, std::string_view text, AppOptions& options,
                       const PresetTable& presets, std::string& error);

}  // namespace stillpix
