// The right-hand panes' fixed texts, exactly as the user sees them.
#pragma once

namespace stillpix {

// Button bar: "status text\ntooltip"; the button shows the tooltip part.
inline constexpr char kCommandAddToBatch[] = "Add Selected Folder or Files To Batch\nAdd to batch";
inline constexpr char kCommandRefresh[] = "Refresh Folder\nRefresh";
inline constexpr char kCommandRecent[] = "Recently Opened Folders\nRecent";
inline constexpr char kCommandViews[] = "Views\nViews";
inline constexpr char kCommandSort[] = "Select Sorting\nSort";

inline constexpr const char* kViewItems[] = {"&Small", "&Medium", "&Large", "&Details"};
inline constexpr const char* kSortItems[] = {"By &Name",       "By &ISO",  "By &File Size",
                                             "By Dimen&sions", "By &Date", "By Device &Model"};

// List context menu and the "Recent" drop-down.
inline constexpr char kItemOpenFile[] = "&Open";
inline constexpr char kItemAddToBatch[] = "&Add To Batch";
inline constexpr char kItemRefresh[] = "&Refresh";
inline constexpr char kRecentDesktop[] = "Desktop";

// Column headers.
inline constexpr char kHeaderFile[] = "File";
inline constexpr char kHeaderIso[] = "ISO Speed";
inline constexpr char kHeaderSize[] = "Size";
inline constexpr char kHeaderDimensions[] = "Dimensions";
inline constexpr char kHeaderModel[] = "Model";
inline constexpr char kHeaderDate[] = "Date Taken";
inline constexpr char kHeaderStatus[] = "Status";

// Records and the information box.
inline constexpr char kUnknown[] = "Unknown";
inline constexpr char kSizeTextFormat[] = "%d KB";
inline constexpr char kDimensionsFormat[] = "%dx%d";
inline constexpr char kInfoImages[] = "%d images";
inline constexpr char kInfoImagesSelected[] = "%d images selected";
inline constexpr char kInfoOneSelected[] = "1 image selected";
inline constexpr char kInfoFile[] = "File: ";
inline constexpr char kInfoModel[] = "Model: ";
inline constexpr char kInfoDimensions[] = "Dimensions: ";
inline constexpr char kInfoIso[] = "ISO Speed: ";

}  // namespace stillpix
