#include "browser/browser_dialog_bar.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>

#include "browser/recent_folders.h"

namespace stillpix {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kExpandedRole = Qt::UserRole + 1;

std::string PathOf(const QTreeWidgetItem* node) {
    return node ? node->data(0, kPathRole).toString().toStdString() : std::string();
}

QIcon FolderIcon() {
    static const QIcon icon = [] {
        QIcon folder = QFileIconProvider().icon(QFileIconProvider::Folder);
        return folder.isNull() ? QApplication::style()->standardIcon(QStyle::SP_DirIcon) : folder;
    }();
    return icon;
}

}  // namespace

CBrowserDialogBar::CBrowserDialogBar(const BrowserContext& context, QWidget* parent)
    : CRightPaneDialogBar(QStringLiteral("Image Browser"), BrowserColumns(), parent),
      context_(context) {
    setObjectName("browserPane");
    recentMenu_ = new QMenu(this);
    if (context_.addToBatch) {
        QToolButton* add = AddButton(kCommandAddToBatch);
        add->setObjectName("addToBatch");
        connect(add, &QToolButton::clicked, this,
                [this] { AddToBatch(CurrentList()->hasFocus() && !SelectedRecords().empty()); });
    }
    QToolButton* refresh = AddButton(kCommandRefresh);
    refresh->setObjectName("refresh");
    connect(refresh, &QToolButton::clicked, this, &CBrowserDialogBar::Refresh);
    AddButton(kCommandRecent, recentMenu_)->setObjectName("recent");
    AddViewAndSortButtons();
    connect(Tree(), &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { Expand(node); });
    connect(Tree(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTreeWidgetItem* node = Tree()->itemAt(at);
        QMenu menu;
        QAction* add = context_.addToBatch ? menu.addAction(kItemAddToBatch) : nullptr;
        if (add) menu.addSeparator();
        QAction* refresh = menu.addAction(kItemRefresh);
        QAction* chosen = menu.exec(Tree()->viewport()->mapToGlobal(at));
        if (chosen && node) Tree()->setCurrentItem(node);
        if (chosen == refresh) Refresh();
        else if (chosen && chosen == add) AddToBatch(false);
    });
    StartInView(ViewModeOf(context_.options->settings3.browserView));
    BuildTree();
    RebuildRecentMenu();
}

QTreeWidgetItem* CBrowserDialogBar::AddFolderNode(QTreeWidgetItem* parent, const std::string& path,
                                                  const QString& name, bool lookAhead) {
    auto* node = new QTreeWidgetItem(parent, QStringList{name});
    node->setIcon(0, FolderIcon());
    node->setData(0, kPathRole, QString::fromStdString(path));
    node->setData(0, kExpandedRole, lookAhead);
    if (lookAhead) ListChildren(node, false);
    else if (HasSubfolders(path)) new QTreeWidgetItem(node, QStringList{QString()});
    return node;
}

void CBrowserDialogBar::ListChildren(QTreeWidgetItem* node, bool lookAhead) {
    Tree()->setUpdatesEnabled(false);
    for (const std::string& folder : ListSubfolders(PathOf(node)))
        AddFolderNode(node, folder,
                      QString::fromStdString(std::filesystem::path(folder).filename().string()),
                      lookAhead);
    Tree()->setUpdatesEnabled(true);
}

void CBrowserDialogBar::BuildTree() {
    const QSignalBlocker quiet(Tree());
    Tree()->clear();
    root_ = new QTreeWidgetItem(Tree(), QStringList{kRecentDesktop});
    root_->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DesktopIcon));
    root_->setData(0, kPathRole, QString());
    root_->setData(0, kExpandedRole, true);
    if (!context_.home.empty())
        AddFolderNode(
            root_, context_.home,
            QString::fromStdString(std::filesystem::path(context_.home).filename().string()), true);
    AddFolderNode(root_, "/", QStringLiteral("/"), true);
    root_->setExpanded(true);
    Tree()->setCurrentItem(root_);
    RefreshList();
}

void CBrowserDialogBar::Expand(QTreeWidgetItem* node) {
    if (!node || node->data(0, kExpandedRole).toBool() || PathOf(node).empty()) return;
    const QSignalBlocker quiet(Tree());
    if (node->childCount() > 0 && node->child(0)->text(0).isEmpty()) delete node->takeChild(0);
    ListChildren(node, false);
    node->setData(0, kExpandedRole, true);
}

void CBrowserDialogBar::Refresh() {
    QTreeWidgetItem* node = Tree()->currentItem();
    if (!node || node == root_) {
        BuildTree();
        return;
    }
    {
        const QSignalBlocker quiet(Tree());
        qDeleteAll(node->takeChildren());
        ListChildren(node, false);
        node->setData(0, kExpandedRole, true);
    }
    RefreshList();
}

std::string CBrowserDialogBar::SelectedFolder() const { return PathOf(Tree()->currentItem()); }

void CBrowserDialogBar::ListNodeFiles() {
    const std::string folder = SelectedFolder();
    if (folder.empty()) return;
    for (const ListedImageFile& file : ListImageFiles(folder))
        AddListItem(file, Tree()->currentItem());
}

void CBrowserDialogBar::StoreViewMode(ViewMode mode) {
    context_.options->settings3.browserView = int32_t(mode);
    if (context_.store) SaveSettings(*context_.store, *context_.options);
}

bool CBrowserDialogBar::NavigateTo(const std::string& folder) {
    // Start at the deepest top folder that holds the target (home before "/").
    QTreeWidgetItem* node = nullptr;
    std::vector<std::string> steps;
    std::size_t best = 0;
    for (int i = 0; i < root_->childCount(); ++i) {
        const std::string top = PathOf(root_->child(i));
        if (NodeMatches(top, WithTrailingSeparator(folder), false) ||
            !WalkPrefixes(top, folder).empty()) {
            if (!node || top.size() > best) {
                node = root_->child(i);
                best = top.size();
                steps = WalkPrefixes(top, folder);
            }
        }
    }
    if (!node) return false;
    for (const std::string& prefix : steps) {
        Expand(node);
        node->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (bool exactCase : {true, false}) {
            for (int i = 0; !next && i < node->childCount(); ++i)
                if (NodeMatches(PathOf(node->child(i)), prefix, exactCase)) next = node->child(i);
            if (next) break;
        }
        if (!next) return false;
        node = next;
    }
    Tree()->setCurrentItem(node);
    Tree()->scrollToItem(node);
    return true;
}

void CBrowserDialogBar::RebuildRecentMenu() {
    recentMenu_->clear();
    connect(recentMenu_->addAction(kRecentDesktop), &QAction::triggered, this,
            [this] { Tree()->setCurrentItem(root_); });
    if (!context_.recent) return;
    for (const std::string& folder :
         RecentEntries(*context_.recent, context_.options->settings3.recentLength))
        connect(recentMenu_->addAction(QString::fromStdString(folder)), &QAction::triggered, this,
                [this, folder] { NavigateTo(folder); });
}

void CBrowserDialogBar::OpenFile(const std::string& path) {
    if (context_.openDocument) context_.openDocument(path);
    else CRightPaneDialogBar::OpenFile(path);
    if (!context_.recent) return;
    if (!RememberFolder(*context_.recent, FolderOfOpenedFile(path))) return;
    RebuildRecentMenu();
    if (context_.store)
        SaveRecentFolders(*context_.store, *context_.recent,
                          context_.options->settings3.recentLength);
}

void CBrowserDialogBar::AddToBatch(bool fromList) {
    if (!context_.addToBatch) return;
    BatchAddRequest request;
    if (fromList) {
        for (const IMAGETHUMBDATA* record : SelectedRecords())
            request.files.push_back(record->path);
    } else {
        QTreeWidgetItem* node = Tree()->currentItem();
        request.folder = PathOf(node);
        if (request.folder.empty()) return;
        Expand(node);  // the children must be listed for the subfolders
        for (int i = 0; i < node->childCount(); ++i)
            if (!PathOf(node->child(i)).empty())
                request.subfolders.push_back(PathOf(node->child(i)));
    }
    if (request.files.empty() && request.folder.empty()) return;
    context_.addToBatch(request);
}

void CBrowserDialogBar::ShowListContextMenu(const QPoint& global, IMAGETHUMBDATA* hit) {
    QMenu menu;
    QAction* open = menu.addAction(kItemOpenFile);
    open->setEnabled(hit != nullptr);
    QAction* add = context_.addToBatch ? menu.addAction(kItemAddToBatch) : nullptr;
    if (add) add->setEnabled(hit != nullptr);
    menu.addSeparator();
    QAction* refresh = menu.addAction(kItemRefresh);
    QAction* chosen = menu.exec(global);
    if (chosen == open && hit) OpenFile(hit->path);
    else if (chosen && chosen == add && hit) {
        const int row = Model().RowOf(hit);
        CurrentList()->selectionModel()->select(
            Model().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        AddToBatch(true);
    } else if (chosen == refresh) Refresh();
}

}  // namespace stillpix
