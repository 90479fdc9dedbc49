// COptionsPage: one page of the "Options" sheet. A page lays out its controls and binds each to
// its entry of OptionFields(); loading, storing, the enabling rules and the range check are the
// same for every page and run through those entries.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QSpinBox>
#include <QWidget>

#include "settings/options_pages.h"
#include "ui/message_box.h"

class QBoxLayout;
class QGridLayout;
class QLabel;

namespace stillpix {

// Asks for a folder, starting at `start`; nothing when the user cancels.
using FolderChooser = std::function<std::optional<std::string>(const std::string& start)>;

// The application's objects the sheet edits; all outlive it.
struct OptionsContext {
    AppOptions* options = nullptr;
    PresetTable* presets = nullptr;  // the "Default Filter Settings" list
    SettingsStore* store = nullptr;  // the options are saved here at once
    LearnedProfileStore* profiles = nullptr;
    std::vector<std::string>* recentFolders = nullptr;
    std::function<bool()> workerRunning;  // a run is under way (none given: never)
    MessagePrompter ask;                  // message boxes over the sheet by default
    FolderChooser chooseFolder;           // the "Browse" dialog by default

    // Through `ask`, else a message box over `parent`.
    MessageAnswer Ask(QWidget* parent, const UserMessage& message) const;
};

// A number box whose spin buttons stay within low..high while any integer may be typed, so
// that OK can refuse an out-of-range number with the range message.
class COptionsNumberBox : public QSpinBox {
public:
    COptionsNumberBox(int low, int high, QWidget* parent = nullptr);
    bool InRange() const { return value() >= low_ && value() <= high_; }
    std::pair<int, int> Bounds() const { return {low_, high_}; }
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int low_, high_;
};

class COptionsPage : public QWidget {
    Q_OBJECT
public:
    COptionsPage(OptionsPage page, const OptionsContext* context, QWidget* parent = nullptr);

    OptionsPage Page() const { return page_; }
    // Fills the controls from the records (after PrepareOptionsPage, saving when it changed one).
    void Load();
    // The first number box outside its range, or null.
    COptionsNumberBox* InvalidNumberBox() const;
    // Writes every control into its field and saves the options.
    void Store();

    // The control bound to `name` (a field's name, or kTiffNote for the note).
    QWidget* Control(const std::string& name) const;

Q_SIGNALS:
    void RecentFoldersCleared();

protected:
    // Layout helpers. A group (framed when it has a title) is a grid of label, control and an
    // extra column; AddControl makes
    // the control of the field `name` in the next row, with its label where it has one, binds
    // it and returns it.
    QGridLayout* AddGroup(QBoxLayout* layout, const QString& title);
    QWidget* AddControl(QGridLayout* grid, const char* name);
    QLabel* AddNote(QGridLayout* grid, const char* text);
    // Call once every control is made.
    void ApplyEnablingRules();
    virtual void AfterStore() {}

    const OptionsContext& Context() const { return *context_; }
    MessageAnswer Ask(const UserMessage& message) const { return context_->Ask(window(), message); }

private:
    void LoadControl(const OptionField& field, QWidget* control);
    void StoreControl(const OptionField& field, QWidget* control);
    int32_t CurrentValue(const std::string& name) const;

    OptionsPage page_;
    const OptionsContext* context_;
    std::vector<std::pair<const OptionField*, QWidget*>> bindings_;
    std::map<std::string, std::vector<QWidget*>> widgets_;  // control first, then its label
    QLabel* qualityLabel_ = nullptr;
};

}  // namespace stillpix
