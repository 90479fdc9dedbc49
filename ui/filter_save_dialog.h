// CFilterSaveDialog, "Save Custom Filter Settings": names the settings of the pane's selected
// preset and saves them as a custom filter, with the naming prompts; stays open until a name
// is accepted or the user cancels.
#pragma once

#include <QDialog>

#include "platform/settings_store.h"
#include "settings/custom_filters.h"
#include "ui/message_box.h"

class QComboBox;

namespace stillpix {

class CFilterSaveDialog : public QDialog {
    Q_OBJECT
public:
    // Saves the settings of `fromSlot`; `ask` shows the dialog's messages.
    CFilterSaveDialog(SettingsStore& store, PresetTable& table, int fromSlot, MessagePrompter ask,
                      QWidget* parent = nullptr);

    QComboBox* NameBox() const { return name_; }
    // After the dialog was accepted: the save's outcome (kSaved or kWriteFailed) and slot.
    const SaveFilterResult& Result() const { return result_; }

public Q_SLOTS:
    void accept() override;

private:
    SettingsStore& store_;
    PresetTable& table_;
    int fromSlot_;
    MessagePrompter ask_;
    QComboBox* name_;
    SaveFilterResult result_;
};

}  // namespace stillpix
