// CBatchDialogBar: the batch pane. The queue's tree (root, "Folders", "Single Files" and their
// entries) over the shared thumbnail list with a "Status" column, Add Folder / Add Files,
// Exclude from the tree or the list with their questions, the settings summary with Edit
// Settings, and Run Batch with its two questions. It owns the queue, its BatchSettings and its
// BatchJob; the run itself belongs to the window that takes runBatchRequested.
#pragma once

#include <QStringList>
#include <functional>
#include <unordered_map>

#include "batch/batch_job.h"
#include "batch/batch_queue.h"
#include "batch/browser_add.h"
#include "browser/browser_dialog_bar.h"
#include "browser/right_pane_dialog_bar.h"
#include "settings/persisted_settings.h"
#include "settings/preset_table.h"
#include "ui/message_box.h"

class QLabel;

namespace stillpix {

struct BatchPaneContext {
    AppOptions* options = nullptr;   // batch view, the notice option
    SettingsStore* store = nullptr;  // the batch record and options are written here
    PresetTable* presets = nullptr;  // the filter list of the settings
};

class CBatchDialogBar : public CRightPaneDialogBar {
    Q_OBJECT
public:
    explicit CBatchDialogBar(const BatchPaneContext& context, QWidget* parent = nullptr);

    // Queues a folder (none when it is queued already) or a file, and shows it.
    FOLDERDATA* AddFolderEntry(const std::string& folder);
    FOLDERDATA* AddSingleFileEntry(const std::string& file);
    // "&Add To Batch" of the image browser: the subfolder question, the adding, the notice.
    // True when the user chose "Open Batch".
    bool AddFromBrowser(const BatchAddRequest& request);

    void AddFolder();  // "Add Folder": the folder dialog, then AddFolderEntry
    void AddFiles();   // "Add Files": the open-file dialog, then AddSingleFileEntry
    // "Exclude" (and Delete) on the tree's selected node, or on the list's selected files.
    void ExcludeFromTree();
    void ExcludeFromList();
    void EditSettings();
    // "Run Batch": the questions, then the job is prepared and runBatchRequested tells the
    // window. False when the user said No.
    bool RunBatch();

    BatchQueue& Queue() { return queue_; }
    BatchJob& Job() { return job_; }
    BatchSettings& Settings() { return settings_; }
    int32_t QueuedImageCount() const { return queue_.QueuedImageCount(); }
    // The node shown by the tree's selection.
    FOLDERDATA* CurrentNode() const;
    void SelectNode(const FOLDERDATA* node);
    QString TreeLabel(const FOLDERDATA* node) const;
    QString TreeTooltip(const FOLDERDATA* node) const;
    QLabel* StatusLine() const { return statusLine_; }
    QLabel* SettingsSummary() const { return summary_; }

    void SetMessagePrompter(MessagePrompter ask) { ask_ = std::move(ask); }
    void SetFolderChooser(std::function<QString(const QString& start)> choose) {
        chooseFolder_ = std::move(choose);
    }
    void SetFilesChooser(std::function<QStringList()> choose) { chooseFiles_ = std::move(choose); }
    // The settings dialog's run; tests put a script in place.
    void SetSettingsEditor(std::function<bool(BatchSettings&)> edit) { edit_ = std::move(edit); }

    void RebuildSettingsSummary();

Q_SIGNALS:
    // Run Batch has prepared the job: the window runs it (RunBatchMessage).
    void runBatchRequested(BatchJob* job);
    // The notice's "Open Batch".
    void openBatchRequested();

protected:
    void ListNodeFiles() override;
    void StoreViewMode(ViewMode mode) override;
    void ShowListContextMenu(const QPoint& global, IMAGETHUMBDATA* hit) override;

private:
    void RebuildTree(const FOLDERDATA* select);
    bool Ask(const std::string& question);
    QMenu* AddMenu();

    BatchPaneContext context_;
    BatchQueue queue_;
    BatchSettings settings_;
    BatchJob job_;
    MessagePrompter ask_;
    std::function<QString(const QString&)> chooseFolder_;
    std::function<QStringList()> chooseFiles_;
    std::function<bool(BatchSettings&)> edit_;
    std::unordered_map<const FOLDERDATA*, QTreeWidgetItem*> items_;
    QLabel* statusLine_;
    QLabel* summary_;
};

}  // namespace stillpix
