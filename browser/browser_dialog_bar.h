// CBrowserDialogBar: the image browser. A folder tree from the user's home and "/", the image
// files of the selected folder as thumbnails or details, Refresh, open by double click or
// "&Open" (which remembers the folder among the recent ones) and the "Recent" drop-down that
// walks the tree to a remembered folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "browser/right_pane_dialog_bar.h"
#include "platform/settings_store.h"
#include "settings/persisted_settings.h"

namespace stillpix {

// What "&Add To Batch" hands the batch pane: the selected files, or else the selected folder
// with its direct subfolders (in tree order) for the subfolder question.
struct BatchAddRequest {
    std::vector<std::string> files;
    std::string folder;
    std::vector<std::string> subfolders;
};

struct BrowserContext {
    AppOptions* options = nullptr;               // browser view, recent list length
    SettingsStore* store = nullptr;              // the view and the recent folders are saved here
    std::vector<std::string>* recent = nullptr;  // the application's recent folders
    std::function<void(const std::string&)> openDocument;  // opens a path as the document
    std::string home;                                      // the first folder under the tree's root
    // "&Add To Batch" (the command is offered only with it).
    std::function<void(const BatchAddRequest&)> addToBatch;
};

class CBrowserDialogBar : public CRightPaneDialogBar {
    Q_OBJECT
public:
    explicit CBrowserDialogBar(const BrowserContext& context, QWidget* parent = nullptr);

    // Rebuilds the whole tree: the root with the home folder and "/" below it, listed one level
    // ahead.
    void BuildTree();
    // "Refresh": the root rebuilds the tree; another folder lists its children and files anew.
    void Refresh();
    // Selects the tree node of `folder`, listing the folders on the way; false (selection
    // unchanged) when the folder is not in the tree's reach.
    bool NavigateTo(const std::string& folder);
    // The "Recent" drop-down: "Desktop", then the first N recent folders.
    void RebuildRecentMenu();
    QMenu* RecentMenu() const { return recentMenu_; }
    // The selected tree node's folder; empty for the root.
    std::string SelectedFolder() const;
    // "&Add To Batch": the list's selected files when `fromList`, else the tree's folder.
    void AddToBatch(bool fromList);
    // Opens the file as the document and remembers its folder.
    void OpenFile(const std::string& path) override;

protected:
    void ListNodeFiles() override;
    void StoreViewMode(ViewMode mode) override;
    void ShowListContextMenu(const QPoint& global, IMAGETHUMBDATA* hit) override;

private:
    QTreeWidgetItem* AddFolderNode(QTreeWidgetItem* parent, const std::string& path,
                                   const QString& name, bool lookAhead);
    void ListChildren(QTreeWidgetItem* node, bool lookAhead);
    void Expand(QTreeWidgetItem* node);

    BrowserContext context_;
    QTreeWidgetItem* root_ = nullptr;
    QMenu* recentMenu_;
};

}  // namespace stillpix
