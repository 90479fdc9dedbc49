// The batch pane's, dialogs' and progress window's fixed texts, in one place so the windows and
// the command line show the same words.
#pragma once

namespace stillpix {

// The queue.
inline constexpr char kQueueRootLabel[] = "Batch Queue";
inline constexpr char kQueueRootEmptyTail[] = " (no files added)";
inline constexpr char kFoldersGroupName[] = "Folders";
inline constexpr char kSingleFilesGroupName[] = "Single Files";
inline constexpr char kQueueStatusFiles[] = "%d files in the queue";
inline constexpr char kQueueStatusEmpty[] = "No files in the queue";
inline constexpr char kTooManyFiles[] = "Too many files";
inline constexpr char kAddFolderTitle[] = "Select Folder To Add To The Batch Queue:";
inline constexpr char kAddFilesTitle[] = "Select Files";

// Adding from the image browser.
inline constexpr char kAddSubfoldersQuestion[] =
    "The selected folder has one or more subfolders.\r\nDo you want to add them to the batch?";
inline constexpr char kFolderAddedNotice[] =
    "The folder '%s' has been added to the batch. It can be removed from the batch at any time by "
    "selecting 'Exclude' from the Batch window.";
inline constexpr char kFoldersAddedNotice[] =
    "%d folders have been added to the batch. They can be removed from the batch at any time by "
    "selecting 'Exclude' from the Batch window.";
inline constexpr char kFileAddedNotice[] =
    "The file '%s' has been added to the batch. It can be removed from the batch at any time by "
    "selecting 'Exclude' from the Batch window.";
inline constexpr char kFilesAddedNotice[] =
    "%d files have been added to the batch. They can be removed from the batch at any time by "
    "selecting 'Exclude' from the Batch window.";

// Exclusion questions (Yes/No, question icon).
inline constexpr char kExcludeAllQuestion[] = "Do you want to exclude all files from the batch?";
inline constexpr char kExcludeFoldersQuestion[] =
    "Do you want to exclude all folders from the batch?";
inline constexpr char kExcludeSingleFilesQuestion[] =
    "Do you want to exclude all single files from the batch?";
inline constexpr char kExcludeFileQuestion[] = "Do you want to exclude file '%s' from the batch?";
inline constexpr char kExcludeFolderQuestion[] =
    "Do you want to exclude folder '%s' from the batch?";
inline constexpr char kExcludeListFilesQuestion[] = "Do you want to exclude %d files from batch?";
inline constexpr char kExcludeListFileQuestion[] = "Do you want to exclude file '%s' from batch?";

// Run Batch questions (Yes/No, question icon).
inline constexpr char kRunQuestion[] =
    "You are about to start processing %d images.\r\nDo you want to continue?";
inline constexpr char kOverwriteQuestion[] =
    "According to the batch settings the original files will be overwitten.\r\nDo you what to "
    "continue?";

// File statuses in the list.
inline constexpr char kStatusPending[] = "Pending";
inline constexpr char kStatusProcessed[] = "Processed";
inline constexpr char kStatusFailed[] = "Failed";

// The settings dialog and the summary.
inline constexpr char kUseCurrentFilterName[] = "Current";
inline constexpr char kTiffDepthNames[2][12] = {"24(8) bpp", "48(16) bpp*"};
inline constexpr char kBrowseDestinationTitle[] = "Select Destination Folder:";
inline constexpr char kTiffDepthNote[] =
    "* - if the original image is not 48 bpp, the result will be saved with 24 bpp bit rate";

// The progress window and the summary dialog.
inline constexpr char kProgressFileLabel[] = "File";
inline constexpr char kProgressWait[] = "Please wait while processing image";
inline constexpr char kBuildingProfileTail[] = " - Building noise profile";
inline constexpr char kFilteringTail[] = " - Filtering noise";
inline constexpr char kCancelBatchQuestion[] = "Do you want to terminate batch processing?";
inline constexpr char kBatchCompleted[] = "Batch processing has been completed in %s";
inline constexpr char kImagesProcessedLabel[] = "Images Processed Sucessfuly";
inline constexpr char kImagesFailedLabel[] = "Images Failed";
inline constexpr char kImagesSkippedLabel[] = "Images Skipped";

}  // namespace stillpix
