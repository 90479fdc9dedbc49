// CRightPaneDialogBar: what the image browser and the batch pane share. A button bar, a tree, the
// thumbnail list in four views (icons of 64, 96 or 128 pixels, or Details with columns) over one
// model, the information box under it, sorting, and the idle loader that reads one list item
// per pass of the event loop, visible items first, so the window never waits on more than one
// thumbnail.
#pragma once

#include <QDockWidget>
#include <QTimer>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "browser/folder_listing.h"
#include "browser/thumbnail_list_model.h"

class QAbstractItemView;
class QListView;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QToolButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace stillpix {

struct ItemReading;

class CRightPaneDialogBar : public QDockWidget {
    Q_OBJECT
public:
    CRightPaneDialogBar(const QString& title, std::vector<ListColumn> columns, QWidget* parent);
    ~CRightPaneDialogBar() override;

    ViewMode View() const { return mode_; }
    // The "Views" drop-down: an icon view rebuilds the list only for a size other than the last
    // listing's; Details keeps the list and shows its columns. The choice is stored.
    void SetViewMode(ViewMode mode);
    // The "Sort" drop-down or a click on a column header.
    void SortBy(ListColumn column);
    const SortState& Sorting() const { return sort_; }

    // Empties the list and lists the selected tree node's files anew.
    virtual void RefreshList();
    // One pass of the idle loader, decoding in place: at most one item. False when no item
    // needed work. (The event loop's passes hand a thumbnail's decode to a thread instead.)
    bool IdleStep();
    // Passes are due or a thumbnail is being decoded.
    bool LoaderRunning() const { return idle_.isActive() || decoding_; }

    QTreeWidget* Tree() const { return tree_; }
    QListView* IconList() const { return iconList_; }
    QTreeView* DetailsList() const { return detailsList_; }
    QAbstractItemView* CurrentList() const;
    ThumbnailListModel& Model() const { return *model_; }
    QPlainTextEdit* InfoBox() const { return infoBox_; }
    QToolBar* ButtonBar() const { return buttonBar_; }
    // The selected items in list order.
    std::vector<IMAGETHUMBDATA*> SelectedRecords() const;

Q_SIGNALS:
    // A list item's file is to be opened as the document.
    void openFileRequested(const QString& path);

protected:
    // Lists the selected node's files through AddListItem.
    virtual void ListNodeFiles() = 0;
    virtual void StoreViewMode(ViewMode mode) { (void)mode; }
    // The list's context menu at `global`; `hit` is the item under the mouse, if any.
    virtual void ShowListContextMenu(const QPoint& global, IMAGETHUMBDATA* hit) {
        (void)global;
        (void)hit;
    }
    // Opens a listed file (double click): asks the window to open it.
    virtual void OpenFile(const std::string& path);

    // A button of the bar from its "status text\ntooltip" resource text; with a menu it drops
    // that menu down.
    QToolButton* AddButton(const char* command, QMenu* menu = nullptr);
    // The "Views" and "Sort" drop-downs.
    void AddViewAndSortButtons();
    // Shows the stored view as the pane starts (no listing yet).
    void StartInView(ViewMode mode);
    IMAGETHUMBDATA& AddListItem(const ListedImageFile& file, const void* owner);
    void WakeLoader();
    void UpdateInfoBox();
    QVBoxLayout* Column() const { return column_; }
    QSplitter* Splitter() const { return splitter_; }

private:
    void ShowView();
    void ApplyColumnWidths();
    // The first item that needs work: a visible one, or in Details any.
    IMAGETHUMBDATA* NextItem() const;
    // The event loop's pass. A thumbnail decodes on a thread of its own, one at a time, so the
    // window runs on meanwhile; the passes pause until it is handed back.
    void IdlePass();
    void TakeDecoded(IMAGETHUMBDATA* item, uint64_t generation, const ItemReading& reading);

    ViewMode mode_ = ViewMode::kMedium;
    int thumbnailSize_ = 96;
    int lastBuildSize_ = 0;
    SortState sort_;
    ThumbnailListModel* model_;
    QVBoxLayout* column_;
    QToolBar* buttonBar_;
    QSplitter* splitter_;
    QTreeWidget* tree_;
    QStackedWidget* lists_;
    QListView* iconList_;
    QTreeView* detailsList_;
    QPlainTextEdit* infoBox_;
    QMenu* viewsMenu_ = nullptr;
    QTimer idle_;
    bool decoding_ = false;
    std::thread decoder_;
};

// The pane's button text and tooltip from "status text\ntooltip".
QString CommandTip(const char* command);
QString CommandStatus(const char* command);

}  // namespace stillpix
