// Saving and deleting custom filters: the naming and refusal rules of the save dialog, with the
// texts the caller shows, and the rebuild of the table afterwards.
#pragma once

#include <string>
#include <string_view>

#include "platform/settings_store.h"
#include "settings/preset_table.h"

namespace stillpix {

inline constexpr char kFilterNameTooLongMessage[] = "Name cannot be longer then 64 symbols.";
inline constexpr char kFilterNameMissingMessage[] = "Please specify the Name for the settings.";
inline constexpr char kFilterOverwriteQuestion[] =
    "A Custom Filter Setting '%s' already exists. Do you want to overwrite it?";
inline constexpr char kFilterTableFullMessage[] =
    "The maximum number of Custom Filters has been reached.\r\n"
    "Please delete an existing Custom Filter before adding a new one.";
inline constexpr char kFilterDeleteQuestion[] = "Do you want to delete '%s'?";
inline constexpr char kFilterSaveNote[] =
    "Current filter settings will be added to the Custom Settings Group. You can delete saved "
    "custom settings by choosing 'Delete' from the 'Filter' menu.";

enum class SaveFilterOutcome {
    kSaved,             // written and the table rebuilt; `slot` is the new name's slot
    kNameTooLong,       // warning, the dialog stays open
    kNameMissing,       // warning, the dialog stays open
    kConfirmOverwrite,  // ask the question; call again with overwriteConfirmed on Yes
    kTableFull,         // error, the dialog stays open
    kNoSuchSlot,        // `fromSlot` is not in the table; nothing written
    kWriteFailed,       // the store refused the write; the table was rebuilt without it
};

struct SaveFilterResult {
    SaveFilterOutcome outcome = SaveFilterOutcome::kSaved;
    std::string message;  // the text to show (the name put in for %s); empty when none
    int slot = -1;
};

// Saves the settings of `fromSlot` as the custom filter `name` (checked in the dialog's order:
// length, emptiness, an existing custom filter of that name, the 25-filter limit).
SaveFilterResult SaveCustomFilter(SettingsStore& store, PresetTable& table, std::string_view name,
                                  int fromSlot, bool overwriteConfirmed);

// Removes the custom filter `name` (a missing one is no error) and rebuilds the table. False
// only when the store could not be written.
bool DeleteCustomFilter(SettingsStore& store, PresetTable& table, std::string_view name);

// `question` with `name` in place of its %s.
std::string WithName(std::string_view question, std::string_view name);

}  // namespace stillpix
