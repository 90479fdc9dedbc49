// The document's fixed texts, exactly as the user sees them.
#pragma once

#include <string>

namespace stillpix {

inline constexpr char kFailedToOpenDocument[] = "Failed to open document.";
inline constexpr char kCannotOpenFilePrefix[] = "Cannot open file ";
inline constexpr char kCannotOpenFileSuffix[] = ". \r\nUnsupported format or file not found.";
// Between the path and the memory figures ("needs 8.1 GiB, 5.2 GiB available").
inline constexpr char kTooLargeInfix[] = ". \r\nNot enough memory for the ";
inline constexpr char kUnableToPaste[] = "Unable to paste from the Clipboard.";
inline constexpr char kNotEntirelyProcessed[] =
    "The image has not been entirely processed.\r\nDo you want to process the image now and then "
    "save it?";
inline constexpr char kFailedToSaveFormat[] = "Failed to save file \"%s\".";
inline constexpr char kNotSavedQuestion[] = "The image has not been saved. Do you want to save it?";
inline constexpr char kIccPromptFormat[] =
    "An embedded ICC profile '%s' has been detected. Do you want to apply the ICC profile?";
inline constexpr char kIccPromptTitle[] = "Open";
inline constexpr char kDoNotAskAgain[] = "Do not ask this question next time";

inline constexpr char kStatusGo[] = "Click \"Go\" button to start processing";
inline constexpr char kStatusBuildingProfile[] = "Building noise profile";
inline constexpr char kStatusUpdatingPreview[] = "Updating Preview Window";
inline constexpr char kStatusSeeOriginal[] = "Click on image to see original";
inline constexpr char kStatusHelp[] = "For Help, press F1";
inline constexpr char kStatusSizeFormat[] = "Size: %dx%d";

inline constexpr char kProgressTitle[] = "Progress Window";
inline constexpr char kProgressBuildingProfile[] = "Please wait while building noise profile";
inline constexpr char kProgressProcessing[] = "Please wait while processing image ";

inline constexpr char kSummaryTitle[] = "Processing Summary";
inline constexpr char kSummaryFormat[] = "Image processing has been completed in %4.2f seconds.";
inline constexpr char kSummaryHint[] = "You can click on the image and hold to see the original.";
inline constexpr char kDoNotShowAgain[] = "Do not show this window next time.";

inline constexpr char kSoftwareName[] = "Veltrano Stillpix";
inline constexpr char kDefaultExtension[] = ".jpg";

inline constexpr char kUntitled[] = "Untitled";

// A message text as a window shows it: every "\r\n" becomes one line break, the words stay.
std::string DisplayText(const std::string& text);

// printf-style formatting of one of the texts above.
std::string FormatText(const char* format, const std::string& value);
std::string FormatText(const char* format, int a, int b);
std::string FormatText(const char* format, double value);

}  // namespace stillpix
