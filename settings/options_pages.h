// The options sheet's page rules beyond single fields: page titles, which control enables
// which, what opening and accepting a page do to the records, the range message, and the two
// buttons that act at once ("Delete Learned Profiles", "Clear Recent").
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_store.h"
#include "settings/option_fields.h"
#include "settings/profile_store.h"

namespace stillpix {

inline constexpr char kOptionsSheetTitle[] = "Options";
inline constexpr const char* kOptionsPageTitles[kOptionsPages] = {
    "General", "Noise Filter", "Noise Profile", "Batch and Browser"};

inline constexpr char kTiffNote[] =
    "* - if the original image is not 48 bpp, the result will be saved with 24 bpp bit rate";
inline constexpr char kProfileFolderTitle[] = "Select Profile Folder:";
inline constexpr char kDeleteLearnedProfilesQuestion[] =
    "Are you sure you want to delete all learned profiles?";
inline constexpr char kDeleteWhileProcessingMessage[] =
    "The learned profiles cannot be deleted while an image is being processed.\r\n"
    "Please try again when the processing has finished.";
inline constexpr char kClearRecentQuestion[] =
    "Are you sure you want to clear recently used folders list?";

// `control` (a field's name or kTiffNote) is enabled while the control named `by` has `value`.
struct EnablingRule {
    const char* control;
    const char* by;
    int32_t value;
};
std::span<const EnablingRule> EnablingRules();

// When a page is first shown in an opening: a TIFF depth other than 0 or 1 becomes 0. True
// when a record changed and must be saved now.
bool PrepareOptionsPage(OptionsPage page, AppOptions& options);
// After a page's controls were stored on OK: the reserved word the page always writes.
void AcceptOptionsPage(OptionsPage page, AppOptions& options);

enum class DeleteProfilesResult {
    kDeleted,        // store empty, file rewritten with no records
    kWorkerRunning,  // nothing touched: a run may be learning or combining right now
    kNotWritten,     // store empty, the file could not be rewritten (not reported)
};
// "Delete Learned Profiles" after its question was answered Yes.
DeleteProfilesResult DeleteLearnedProfiles(LearnedProfileStore& profiles, bool workerRunning);

// "Clear Recent" after its question was answered Yes: empties the list, saves the options and
// writes empty text into all ten recent values. True when every write succeeded.
bool ClearRecentFolders(SettingsStore& store, const AppOptions& options,
                        std::vector<std::string>& recent);

}  // namespace stillpix
