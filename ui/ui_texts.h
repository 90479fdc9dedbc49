// The windows' fixed texts, exactly as the user sees them (the document's own are in
// document/document_texts.h).
#pragma once

namespace stillpix {

inline constexpr char kProgramTitle[] = "Stillpix Professional Edition";
inline constexpr char kCompanyKey[] = "Veltrano";

// Toolbar tooltips.
inline constexpr char kTipOpen[] = "Open";
inline constexpr char kTipSave[] = "Save";
inline constexpr char kTipUndo[] = "Undo";
inline constexpr char kTipCopy[] = "Copy";
inline constexpr char kTipPaste[] = "Paste";
inline constexpr char kTipZoomIn[] = "Zoom In";
inline constexpr char kTipZoomOut[] = "Zoom Out";
inline constexpr char kTipNoiseFilter[] = "Noise Filter";
inline constexpr char kTipExif[] = "EXIF";
inline constexpr char kTipProfile[] = "Profile";
inline constexpr char kTipGo[] = "Go";
inline constexpr char kTipBrowser[] = "Browser";
inline constexpr char kTipBatch[] = "Batch";
inline constexpr char kPreviewOn[] = "Preview: ON";
inline constexpr char kPreviewOff[] = "Preview: OFF";

// Menus (an "&" marks the access key, a tab the accelerator shown).
inline constexpr char kMenuFile[] = "&File";
inline constexpr char kMenuEdit[] = "&Edit";
inline constexpr char kMenuFilter[] = "Fil&ter";
inline constexpr char kMenuView[] = "&View";
inline constexpr char kItemOpen[] = "&Open...\tCtrl+O";
inline constexpr char kItemSaveAs[] = "&Save As...\tCtrl+S";
inline constexpr char kItemCloseFile[] = "&Close File\tCtrl+F4";
inline constexpr char kItemExit[] = "E&xit";
inline constexpr char kItemUndo[] = "&Undo\tCtrl+Z";
inline constexpr char kItemCopy[] = "&Copy\tCtrl+C";
inline constexpr char kItemPaste[] = "&Paste\tCtrl+V";
inline constexpr char kItemProcess[] = "P&rocess\tCtrl+Enter";
inline constexpr char kItemSaveSettings[] = "&Save Settings";
inline constexpr char kItemDeleteSettings[] = "&Delete";
inline constexpr char kItemToolbar[] = "&Toolbar";
inline constexpr char kItemStatusBar[] = "&Status Bar";
inline constexpr char kItemZoomIn[] = "Zoom &In\tCtrl +";
inline constexpr char kItemZoomOut[] = "Zoom O&ut\tCtrl -";
inline constexpr char kItemNoiseFilter[] = "Noise &Filter";
inline constexpr char kItemExif[] = "&EXIF";
inline constexpr char kItemNoiseProfile[] = "&Noise Profile";
inline constexpr char kItemImageBrowser[] = "&Image Browser";
inline constexpr char kItemBatchProcessing[] = "&Batch Processing";
inline constexpr char kItemOptions[] = "&Options...";
// The view's context menu names its file commands with their keys.
inline constexpr char kContextSaveAs[] = "Save As\tCtrl+S";
inline constexpr char kContextCloseFile[] = "Close File\tCtrl+F4";

// Status bar.
inline constexpr char kStatusSizeEmpty[] = "Size:";
inline constexpr char kStatusZoomFormat[] = "Zoom: %d%%";
constexpr int kSizePaneWidth = 130;
constexpr int kZoomPaneWidth = 100;

// The main window is kept at least this large.
constexpr int kMinFrameWidth = 495;
constexpr int kMinFrameHeight = 650;

// "Automatic Preview Information".
inline constexpr char kPreviewInfoTitle[] = "Automatic Preview Information";
inline constexpr char kPreviewInfoText[] =
    "You selected to turn on the automatic update of the visible part of the image.";
inline constexpr char kPreviewInfoDetail[] =
    "After you click GO the first time, the filter preview function will be performed on "
    "visible part of the image every time you change filtering parameters. You can configure a "
    "delay between slider change and window update from View->Options->Noise Filter.";

// File dialogs.
inline constexpr char kOpenDialogTitle[] = "Open";
inline constexpr char kSaveDialogTitle[] = "Save As";

}  // namespace stillpix
