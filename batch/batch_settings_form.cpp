#include "batch/batch_settings_form.h"

#include <algorithm>
#include <span>

#include "batch/batch_texts.h"
#include "batch/text_format.h"
#include "settings/record_codec.h"

namespace stillpix {

BatchSettingsForm OpenBatchSettingsForm(const BatchSettings& settings, int filterCount) {
    BatchSettingsForm form;
    form.destination = std::clamp<int>(settings.destination, kSameAsSource, kOtherLocation);
    form.format = std::clamp<int>(settings.outputFormat, kFormatKeep, kFormatTiff);
    form.suffixText = std::string(FieldText(settings.suffix));
    form.addSuffix = !form.suffixText.empty();
    form.specifyFilter = settings.filter >= 0 && settings.filter < filterCount;
    form.filterSelection = form.specifyFilter ? settings.filter : 0;
    const std::string path(FieldText(settings.destinationPath));
    if (form.destination == kSubfolder) form.subfolderText = path;
    if (form.destination == kOtherLocation) form.otherLocationText = path;
    form.quality = std::clamp(settings.jpegQuality, 0, 100);
    form.tiffDepthSelection = settings.tiffDepth == kTiffDepth48 ? kTiffDepth48 : kTiffDepth24;
    return form;
}

BatchSettingsEnabling EnablingFor(const BatchSettingsForm& form) {
    BatchSettingsEnabling on;
    on.subfolderText = form.destination == kSubfolder;
    on.otherLocation = form.destination == kOtherLocation;
    on.filterList = form.specifyFilter;
    on.suffixText = form.addSuffix;
    on.quality = form.format == kFormatJpeg;
    on.tiffDepth = form.format == kFormatTiff;
    on.tiffDepthNote = on.tiffDepth && form.tiffDepthSelection == kTiffDepth48;
    return on;
}

std::string QualityText(int quality) { return FormatText("%d%%", quality); }

BatchSettings AcceptBatchSettingsForm(const BatchSettingsForm& form, const BatchSettings& current) {
    BatchSettings settings = current;
    settings.destination = std::clamp<int>(form.destination, kSameAsSource, kOtherLocation);
    settings.outputFormat = std::clamp<int>(form.format, kFormatKeep, kFormatTiff);
    std::fill(std::begin(settings.suffix), std::end(settings.suffix), '\0');
    if (form.addSuffix)
        SetFieldText(std::span<char>(settings.suffix).first(kMaxBatchSuffixChars + 1),
                     form.suffixText);
    settings.filter = form.specifyFilter ? std::max(form.filterSelection, 0) : kUseCurrentFilter;
    const std::string& path = settings.destination == kSubfolder       ? form.subfolderText
                              : settings.destination == kOtherLocation ? form.otherLocationText
                                                                       : std::string();
    SetFieldText(settings.destinationPath, path);  // zeros the whole field first
    settings.jpegQuality = std::clamp(form.quality, 0, 100);
    settings.tiffDepth = form.tiffDepthSelection == kTiffDepth48 ? kTiffDepth48 : kTiffDepth24;
    return settings;
}

std::string BatchSettingsSummary(const BatchSettings& settings, const PresetTable& filters) {
    std::string filter;
    if (settings.filter == kUseCurrentFilter) filter = kUseCurrentFilterName;
    else if (settings.filter >= 0 && settings.filter < filters.count)
        filter = filters.slots[static_cast<std::size_t>(settings.filter)].name;

    const std::string path(FieldText(settings.destinationPath));
    std::string destination;
    if (settings.destination == kSameAsSource) destination = "Same as source";
    if (settings.destination == kSubfolder) destination = "Subfolder \"" + path + "\"";
    if (settings.destination == kOtherLocation) destination = path;

    const std::string suffix(FieldText(settings.suffix));
    const std::string output = suffix.empty() ? std::string() : "Original + \"" + suffix + "\"";

    std::string format;
    switch (settings.outputFormat) {
        case kFormatKeep: format = "Same as original"; break;
        case kFormatPng: format = "PNG"; break;
        case kFormatJpeg: format = "JPEG" + FormatText(" (%d%%)", settings.jpegQuality); break;
        case kFormatTiff:
            format = settings.tiffDepth == kTiffDepth48 ? "TIFF (48 bpp)" : "TIFF (24 bpp)";
            break;
        default: break;
    }
    return "Noise Filter: " + filter + "\r\nDestination: " + destination +
           "\r\nOutput File: " + output + "\r\nFormat: " + format;
}

}  // namespace stillpix
