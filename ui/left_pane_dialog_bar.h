// CLeftPaneDialogBar: the dockable left pane with its "Noise Filter", "EXIF" and "Noise Profile"
// sections. It owns the current FilterSettings of the open image: every change goes at once into
// the document's engine parameters, keeps the preset selection honest and restarts the preview
// countdown. The frame docks it, forwards the document's calls to it and follows its signals.
#pragma once

#include <string>
#include <vector>

#include <QDockWidget>

#include "document/noise_cleaner_doc.h"
#include "settings/persisted_settings.h"
#include "settings/preset_table.h"
#include "settings/self_learning_box.h"
#include "ui/message_box.h"

class QToolButton;
class QTreeWidget;

namespace stillpix {

class CNoiseFilterSection;
class CProfileMainEmbDialog;

// The application's objects the pane reads and writes; all required, all outlive the pane.
struct PaneContext {
    PresetTable* presets = nullptr;
    AppOptions* options = nullptr;   // default filter slot, open sections, self-learning
    SettingsStore* store = nullptr;  // custom filters and options are written here at once
};

class CLeftPaneDialogBar : public QDockWidget {
    Q_OBJECT
public:
    enum Section { kNoiseFilterSection, kExifSection, kNoiseProfileSection };

    explicit CLeftPaneDialogBar(const PaneContext& context, QWidget* parent = nullptr);

    // The document whose parameters the pane sets (none: the pane only shows its values).
    void SetDocument(CNoiseCleanerDoc* document);

    const FilterSettings& CurrentSettings() const { return current_; }
    int SelectedPreset() const { return selected_; }

    // Makes `slot` (0 outside the table) the current settings and runs the update.
    void SelectPreset(int slot);
    // Refills the preset list from the table and selects the last slot named `name`, else the
    // "Default Filter Settings" slot, as SelectPreset does.
    void FillPresetList(const std::string& name = {});
    // The "EXIF" list: one row a label and value.
    void ShowExifRows(const std::vector<std::string>& labels,
                      const std::vector<std::string>& values);
    // After the document's image or profile changed: the commands, the profile section and the
    // self-learning box.
    void RefreshFilterPane();

    bool SectionOpen(Section section) const;
    // Opening "EXIF" closes "Noise Profile" and the other way round.
    void OpenSection(Section section, bool open);
    // The open sections as stored: bit 0 "EXIF", bit 1 "Noise Profile".
    int OpenSectionsField() const;
    bool Expanded() const;
    void SetExpanded(bool expanded);

    // "Save Settings" and "Delete" of the "Filter" menu and of the pane.
    bool CanSaveSettings() const;
    bool CanDeleteSettings() const;

    // How the pane asks the user (message boxes by default).
    void SetMessagePrompter(MessagePrompter ask) { ask_ = std::move(ask); }

    CNoiseFilterSection* FilterSection() const { return filter_; }
    CProfileMainEmbDialog* ProfileSection() const { return profile_; }
    QTreeWidget* ExifList() const { return exif_; }

public Q_SLOTS:
    // The update: controls into the current settings, labels, the document's parameters, the
    // preset selection.
    void Update();
    void SaveSettings();
    void DeleteSettings();

Q_SIGNALS:
    // The preset list's selection changed (the toolbar's list follows).
    void PresetSelected(int slot);
    // A custom filter was saved or deleted and the table rebuilt (refill the toolbar's list).
    void PresetsRebuilt();
    // A header opened or closed a section.
    void SectionsChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QToolButton* AddHeader(const QString& title, int index);
    void ShowSelection();
    void UpdateCommands();
    void RefreshProfileSection();
    void OnSelfLearningClicked(bool checked);
    void UseIndividualProfile(bool individual);
    bool HasImage() const { return document_ && document_->HasImage(); }
    bool ProfileReady() const;
    SelfLearningFacts Facts() const;

    PaneContext context_;
    CNoiseCleanerDoc* document_ = nullptr;
    FilterSettings current_;
    int selected_ = 0;
    MessagePrompter ask_;
    CNoiseFilterSection* filter_;
    QTreeWidget* exif_;
    CProfileMainEmbDialog* profile_;
    QToolButton* headers_[3] = {};
    QWidget* sections_[3] = {};
    QWidget* filler_;
};

}  // namespace stillpix
