#include "settings/option_fields.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <filesystem>

#include "settings/record_codec.h"

namespace stillpix {
namespace {

using K = OptionKind;
using P = OptionsPage;

// NOLINTNEXTLINE(bugprone-macro-parentheses): `expr` names a member path
#define FIELD_OF(expr) [](AppOptions& o) -> int32_t* { return &o.expr; }

// clang-format off
const OptionField kFields[] = {
    {"Show \"Open File Dialog\" on startup", P::kGeneral, K::kCheck,
     FIELD_OF(settings.showOpenDialogAtStart)},
    {"Image default zoom value", P::kGeneral, K::kZoom, FIELD_OF(settings.defaultZoom), 0, INT32_MAX,
     kZoomChoices},
    {"Embedded ICC profiles", P::kGeneral, K::kChoice, FIELD_OF(settings2.iccHandling), 0, 2,
     kIccChoices},
    {"Append default suffix to the original name", P::kGeneral, K::kCheck,
     FIELD_OF(settings.appendSuffix)},
    {"Default suffix", P::kGeneral, K::kSuffix, nullptr},
    {"JPEG Quality", P::kGeneral, K::kSlider, FIELD_OF(settings.jpegQuality), 0, 100},
    {"Tiff bit rate", P::kGeneral, K::kChoice, FIELD_OF(settings2.tiffDepth), 0, 1, kTiffChoices},
    {"Tiff compression", P::kGeneral, K::kChoice, FIELD_OF(settings2.tiffCompression), 0, 2,
     kTiffCompressionChoices},

    {"Update Preview Window when filter parameters changed", P::kNoiseFilter, K::kCheck,
     FIELD_OF(settings.autoPreview)},
    {"Preview Window update delay (seconds)", P::kNoiseFilter, K::kNumber,
     FIELD_OF(settings.previewDelay), 1, 10},
    {"Show Automatic Preview Information when turning the preview ON on the toolbar",
     P::kNoiseFilter, K::kInvertedCheck, FIELD_OF(settings3.hideAutoPreviewNotice)},
    {"Default Filter Settings", P::kNoiseFilter, K::kPreset, FIELD_OF(settings.defaultFilterSlot),
     0, kPresetSlots - 1},
    {"Reset to default Filter Settings when new image opened", P::kNoiseFilter, K::kCheck,
     FIELD_OF(settings.resetFilterOnOpen)},
    {"Show summary window after processing", P::kNoiseFilter, K::kCheck,
     FIELD_OF(settings.showSummary)},

    {"Profile Folder:", P::kNoiseProfile, K::kFolder, nullptr},
    {"Enable Profile Self-Learning", P::kNoiseProfile, K::kCheck, FIELD_OF(settings2.selfLearning)},
    {"Always Build Noise Profile for the Loaded Image", P::kNoiseProfile, K::kCheck,
     FIELD_OF(settings2.alwaysBuildImageProfile)},

    {"Enable Self-Learning Profile Builder while processing the Batch", P::kBatchAndBrowser,
     K::kCheck, FIELD_OF(settings2.learnWhileBatch)},
    {"Do not build image profile if sufficient data is available as a result of Self-Learning",
     P::kBatchAndBrowser, K::kCheck, FIELD_OF(settings2.batchSkipBuildWhenLearned)},
    {"Batch Process Priority", P::kBatchAndBrowser, K::kChoice, FIELD_OF(settings3.batchPriority),
     0, 1, kPriorityChoices},
    {"Show notification window when a folder or files have been added to the Batch from the "
     "Image Browser", P::kBatchAndBrowser, K::kCheck, FIELD_OF(settings2.showBatchAddedNotice)},
    {"Recently used folder list", P::kBatchAndBrowser, K::kNumber, FIELD_OF(settings3.recentLength),
     1, 10},
};
// clang-format on

#undef FIELD_OF

int32_t Field(const OptionField& field, const AppOptions& options) {
    return *field.field(const_cast<AppOptions&>(options));
}

std::string Folded(std::string_view text) {
    std::string folded;
    for (unsigned char c : text)
        if (std::isalnum(c)) folded.push_back(static_cast<char>(std::tolower(c)));
    return folded;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A whole decimal number and nothing else.
bool ParseInteger(std::string_view text, int64_t& out) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

bool Refuse(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

}  // namespace

std::span<const OptionField> OptionFields() { return kFields; }

const OptionField* FindOptionField(std::string_view name) {
    for (const OptionField& field : kFields)
        if (name == field.name) return &field;
    return nullptr;
}

const OptionField* LookUpOptionField(std::string_view typed) {
    const std::string wanted = Folded(typed);
    if (wanted.empty()) return nullptr;
    const OptionField* found = nullptr;
    int prefixes = 0;
    for (const OptionField& field : kFields) {
        const std::string name = Folded(field.name);
        if (name == wanted) return &field;
        if (name.starts_with(wanted)) {
            found = &field;
            ++prefixes;
        }
    }
    return prefixes == 1 ? found : nullptr;
}

int32_t ControlValue(const OptionField& field, const AppOptions& options,
                     const PresetTable& presets) {
    if (!field.field) return 0;
    const int32_t value = Field(field, options);
    switch (field.kind) {
        case K::kCheck: return value != 0;
        case K::kInvertedCheck: return value == 0;
        case K::kPreset: return value >= 0 && value < presets.count ? value : 0;
        case K::kChoice:
            return value >= 0 && value < static_cast<int32_t>(field.choices.size()) ? value : 0;
        default: return value;
    }
}

void StoreControlValue(const OptionField& field, int32_t value, AppOptions& options) {
    if (!field.field) return;
    int32_t& target = *field.field(options);
    switch (field.kind) {
        case K::kCheck: target = value != 0; break;
        case K::kInvertedCheck: target = value == 0; break;
        default: target = std::clamp(value, field.low, field.high); break;
    }
}

std::string ControlText(const OptionField& field, const AppOptions& options) {
    if (field.kind == K::kFolder) return options.profileFolder;
    if (field.kind == K::kSuffix) return std::string(FieldText(options.settings.defaultSuffix));
    return {};
}

void StoreControlText(const OptionField& field, std::string_view text, AppOptions& options) {
    if (field.kind == K::kFolder && !text.empty()) options.profileFolder = text;
    if (field.kind == K::kSuffix) SetFieldText(options.settings.defaultSuffix, text);
}

std::string ZoomText(int32_t zoom) { return zoom == 0 ? kZoomChoices[5] : PercentText(zoom); }

int32_t ZoomFromText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') return 0;
        ++i;
    }
    int64_t zoom = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        zoom = std::min<int64_t>(zoom * 10 + (text[i] - '0'), INT32_MAX);
    return static_cast<int32_t>(zoom);
}

std::string PercentText(int32_t value) { return std::to_string(value) + "%"; }

std::string IntegerRangeMessage(int32_t low, int32_t high) {
    return "Please enter an integer between " + std::to_string(low) + " and " +
           std::to_string(high) + ".";
}

int32_t DefaultSlotForChoice(const PresetTable& presets, int chosenRow, std::string_view name,
                             int32_t current) {
    if (chosenRow >= 0 && chosenRow < presets.count && presets.slots[chosenRow].name == name)
        return chosenRow;
    for (int slot = 0; slot < presets.count; ++slot)
        if (presets.slots[slot].name == name) return slot;
    return current;
}

std::string OptionValueText(const OptionField& field, const AppOptions& options,
                            const PresetTable& presets) {
    const int32_t value = ControlValue(field, options, presets);
    switch (field.kind) {
        case K::kCheck:
        case K::kInvertedCheck: return value ? "on" : "off";
        case K::kChoice: return field.choices[value];
        case K::kZoom: return ZoomText(value);
        case K::kPreset: return presets.slots[value].name;
        case K::kSuffix:
        case K::kFolder: return ControlText(field, options);
        default: return std::to_string(value);
    }
}

bool SetOptionFromText(const OptionField& field, std::string_view text, AppOptions& options,
                       const PresetTable& presets, std::string& error) {
    int64_t number = 0;
    const bool isNumber = ParseInteger(text, number);
    switch (field.kind) {
        case K::kCheck:
        case K::kInvertedCheck: {
            const bool on = SameIgnoringCase(text, "on") || text == "1";
            if (!on && !SameIgnoringCase(text, "off") && text != "0")
                return Refuse(error, "expects on or off");
            StoreControlValue(field, on, options);
            return true;
        }
        case K::kChoice:
            for (std::size_t i = 0; i < field.choices.size(); ++i)
                if (SameIgnoringCase(text, field.choices[i]) ||
                    (isNumber && number == int64_t(i))) {
                    StoreControlValue(field, static_cast<int32_t>(i), options);
                    return true;
                }
            return Refuse(error, "expects one of the list's texts or its index");
        case K::kZoom: {
            const int32_t zoom = ZoomFromText(text);
            if (zoom == 0 && !SameIgnoringCase(text, kZoomChoices[5]))
                return Refuse(error, "expects a percentage such as 25% or Best Fit");
            StoreControlValue(field, zoom, options);
            return true;
        }
        case K::kSlider:
        case K::kNumber:
            if (!isNumber || number < field.low || number > field.high)
                return Refuse(error, IntegerRangeMessage(field.low, field.high));
            StoreControlValue(field, static_cast<int32_t>(number), options);
            return true;
        case K::kPreset: {
            const auto slot = FindPreset(presets, text);
            if (!slot) return Refuse(error, "names no filter preset");
            StoreControlValue(field, *slot, options);
            return true;
        }
        case K::kSuffix: StoreControlText(field, text, options); return true;
        case K::kFolder: {
            std::error_code failed;
            const auto folder = std::filesystem::absolute(text, failed).lexically_normal();
            if (text.empty() || failed) return Refuse(error, "expects a folder");
            StoreControlText(field, folder.string(), options);
            return true;
        }
    }
    return false;
}

}  // namespace stillpix
