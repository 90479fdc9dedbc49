#include "ui/batch_dialog_bar.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "batch/batch_texts.h"
#include "batch/file_rules.h"
#include "document/save_names.h"
#include "ui/add_batch_info_dialog.h"
#include "ui/batch_settings_dialog.h"
#include "ui/file_dialogs.h"

namespace stillpix {

namespace {

constexpr char kCommandAdd[] = "Add Folder or Files\nAdd";
constexpr char kCommandExclude[] = "Exclude Files or Folders from batch\nExclude";
constexpr char kCommandEditSettings[] = "Edit Settings\nEdit Settings";
constexpr char kCommandRunBatch[] = "Run Batch Processing\nRun Batch";
constexpr char kItemAddFolder[] = "Add Folder";
constexpr char kItemAddFiles[] = "Add Files";
constexpr char kItemExclude[] = "&Exclude";
constexpr int kNodeRole = Qt::UserRole;

QIcon FolderIcon() { return QApplication::style()->standardIcon(QStyle::SP_DirIcon); }

}  // namespace

CBatchDialogBar::CBatchDialogBar(const BatchPaneContext& context, QWidget* parent)
    : CRightPaneDialogBar(QStringLiteral("Batch Processing"), BatchColumns(), parent),
      context_(context),
      settings_(LoadBatchSettings(*context.store, context.options->settings)) {
    setObjectName("batchPane");
    ask_ = MessageBoxPrompter(this);
    chooseFolder_ = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QString::fromUtf8(kAddFolderTitle), start);
    };
    chooseFiles_ = [this] {
        return QFileDialog::getOpenFileNames(this, QString::fromUtf8(kAddFilesTitle), QString(),
                                             NameFilters(kOpenFileTypes).join(";;"));
    };
    edit_ = [this](BatchSettings& settings) {
        CBatchSettingsDialog dialog(settings, *context_.presets, this);
        if (dialog.exec() != QDialog::Accepted) return false;
        settings = dialog.Result();
        return true;
    };

    QToolButton* add = AddButton(kCommandAdd, AddMenu());
    add->setObjectName("add");
    // Alt+A, Alt+S and Alt+R reach the pane's commands from the keyboard.
    add->setText("&" + add->text());
    QToolButton* exclude = AddButton(kCommandExclude);
    exclude->setObjectName("exclude");
    connect(exclude, &QToolButton::clicked, this, [this] {
        if (CurrentList()->hasFocus()) ExcludeFromList();
        else ExcludeFromTree();
    });
    AddViewAndSortButtons();

    statusLine_ = new QLabel(this);
    Column()->insertWidget(1, statusLine_);
    auto* group = new QGroupBox("Batch Settings", this);
    auto* groupColumn = new QVBoxLayout(group);
    // A box that grows with its lines: the summary wraps in a narrow pane and never scrolls.
    summary_ = new QLabel(group);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setFrameShape(QFrame::StyledPanel);
    summary_->setFrameShadow(QFrame::Sunken);
    summary_->setBackgroundRole(QPalette::Base);
    summary_->setAutoFillBackground(true);
    summary_->setMargin(4);
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    groupColumn->addWidget(summary_);
    // Under the summary they act on, not on the button bar, whose overflow would hide them in a
    // narrow pane.
    auto* commands = new QHBoxLayout;
    const auto command = [&](const char* text, const QString& label, const char* name,
                             std::function<void()> act) {
        auto* button = new QPushButton(label, group);
        button->setObjectName(name);
        button->setToolTip(CommandTip(text));
        button->setStatusTip(CommandStatus(text));
        connect(button, &QPushButton::clicked, this, std::move(act));
        commands->addWidget(button);
    };
    command(kCommandEditSettings, "Edit &Settings", "editSettings", [this] { EditSettings(); });
    command(kCommandRunBatch, "&Run Batch", "runBatch", [this] { RunBatch(); });
    groupColumn->addLayout(commands);
    Column()->addWidget(group);

    // Delete excludes where the focus is.
    auto* treeDelete =
        new QShortcut(QKeySequence::Delete, Tree(), nullptr, nullptr, Qt::WidgetShortcut);
    connect(treeDelete, &QShortcut::activated, this, &CBatchDialogBar::ExcludeFromTree);
    for (QWidget* list :
         {static_cast<QWidget*>(IconList()), static_cast<QWidget*>(DetailsList())}) {
        auto* listDelete =
            new QShortcut(QKeySequence::Delete, list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(listDelete, &QShortcut::activated, this, &CBatchDialogBar::ExcludeFromList);
    }
    connect(Tree(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* item = Tree()->itemAt(at)) Tree()->setCurrentItem(item);
        QMenu menu;
        QAction* excludeItem = menu.addAction(kItemExclude);
        menu.addSeparator();
        QAction* folder = menu.addAction(kItemAddFolder);
        QAction* files = menu.addAction(kItemAddFiles);
        QAction* chosen = menu.exec(Tree()->viewport()->mapToGlobal(at));
        if (chosen == excludeItem) ExcludeFromTree();
        else if (chosen == folder) AddFolder();
        else if (chosen == files) AddFiles();
    });
    connect(Tree(), &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* item) {
        if (auto* node = static_cast<FOLDERDATA*>(item->data(0, kNodeRole).value<void*>()))
            node->expanded = true;
    });
    connect(Tree(), &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* item) {
        if (auto* node = static_cast<FOLDERDATA*>(item->data(0, kNodeRole).value<void*>()))
            node->expanded = false;
    });

    StartInView(ViewModeOf(context_.options->settings3.batchView));
    RebuildSettingsSummary();
    RebuildTree(&queue_.Root());
}

QMenu* CBatchDialogBar::AddMenu() {
    auto* menu = new QMenu(this);
    connect(menu->addAction(kItemAddFolder), &QAction::triggered, this,
            &CBatchDialogBar::AddFolder);
    connect(menu->addAction(kItemAddFiles), &QAction::triggered, this, &CBatchDialogBar::AddFiles);
    return menu;
}

bool CBatchDialogBar::Ask(const std::string& question) {
    return ask_(UserMessage{MessageKind::kQuestion, question, MessageButtons::kYesNo}) ==
           MessageAnswer::kYes;
}

QString CBatchDialogBar::TreeLabel(const FOLDERDATA* node) const {
    const auto found = items_.find(node);
    return found == items_.end() ? QString() : found->second->text(0);
}

QString CBatchDialogBar::TreeTooltip(const FOLDERDATA* node) const {
    const auto found = items_.find(node);
    return found == items_.end() ? QString() : found->second->toolTip(0);
}

FOLDERDATA* CBatchDialogBar::CurrentNode() const {
    const QTreeWidgetItem* item = Tree()->currentItem();
    return item ? static_cast<FOLDERDATA*>(item->data(0, kNodeRole).value<void*>()) : nullptr;
}

void CBatchDialogBar::SelectNode(const FOLDERDATA* node) {
    const auto found = items_.find(node);
    if (found == items_.end()) return;
    Tree()->setCurrentItem(found->second);
    Tree()->scrollToItem(found->second);
}

void CBatchDialogBar::RebuildTree(const FOLDERDATA* select) {
    {
        const QSignalBlocker quiet(Tree());
        Tree()->clear();
        items_.clear();
        QFileIconProvider icons;
        const std::function<void(FOLDERDATA&, QTreeWidgetItem*)> add =
            [&](FOLDERDATA& node, QTreeWidgetItem* parent) {
                auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(Tree());
                item->setText(0, QString::fromStdString(queue_.Label(node)));
                item->setToolTip(0, QString::fromStdString(queue_.Tooltip(node)));
                item->setIcon(0, node.kind == QueueNodeKind::kSingleFile
                                     ? icons.icon(QFileInfo(QString::fromStdString(node.path)))
                                     : FolderIcon());
                item->setData(0, kNodeRole, QVariant::fromValue<void*>(&node));
                items_[&node] = item;
                for (FOLDERDATA* child : node.children) add(*child, item);
                item->setExpanded(node.kind == QueueNodeKind::kRoot || node.expanded);
            };
        add(queue_.Root(), nullptr);
        const auto found = items_.find(select);
        Tree()->setCurrentItem(found != items_.end() ? found->second : items_[&queue_.Root()]);
    }
    statusLine_->setText(QString::fromStdString(queue_.StatusLine()));
    RefreshList();
}

FOLDERDATA* CBatchDialogBar::AddFolderEntry(const std::string& folder) {
    FOLDERDATA* entry = queue_.AddFolderEntry(folder);
    if (entry) RebuildTree(entry);
    return entry;
}

FOLDERDATA* CBatchDialogBar::AddSingleFileEntry(const std::string& file) {
    FOLDERDATA* entry = queue_.AddSingleFileEntry(file);
    if (entry) RebuildTree(CurrentNode());
    return entry;
}

void CBatchDialogBar::AddFolder() {
    const QString chosen = chooseFolder_(QString::fromStdString(queue_.LastFolder()));
    if (chosen.isEmpty()) return;
    queue_.SetLastFolder(chosen.toStdString());
    AddFolderEntry(chosen.toStdString());
}

void CBatchDialogBar::AddFiles() {
    const QStringList files = chooseFiles_();
    if (files.isEmpty()) return;
    for (const QString& file : files) queue_.AddSingleFileEntry(file.toStdString());
    RebuildTree(CurrentNode());
}

bool CBatchDialogBar::AddFromBrowser(const BatchAddRequest& request) {
    BrowserAddResult result;
    if (!request.files.empty()) {
        result = AddBrowserFiles(queue_, request.files);
    } else if (!request.folder.empty()) {
        std::vector<std::string> subfolders;
        if (!request.subfolders.empty()) {
            const MessageAnswer answer = ask_(UserMessage{
                MessageKind::kQuestion, kAddSubfoldersQuestion, MessageButtons::kYesNoCancel});
            if (answer == MessageAnswer::kCancel) return false;
            if (answer == MessageAnswer::kYes) subfolders = request.subfolders;
        }
        result = AddBrowserFolder(queue_, request.folder, subfolders);
    } else {
        return false;
    }
    RebuildTree(CurrentNode());
    if (!context_.options->settings2.showBatchAddedNotice || result.notice.empty()) return false;
    CAddBatchDialogInfo notice(
        QString::fromStdString(result.notice),
        [this](bool checked) {
            context_.options->settings2.showBatchAddedNotice = checked ? 0 : 1;
            SaveSettings(*context_.store, *context_.options);
        },
        this);
    if (notice.exec() != CAddBatchDialogInfo::kOpenBatch) return false;
    Q_EMIT openBatchRequested();
    return true;
}

void CBatchDialogBar::ExcludeFromTree() {
    FOLDERDATA* node = CurrentNode();
    if (!node) return;
    const std::optional<std::string> question = queue_.ExcludeQuestion(*node);
    if (!question || !Ask(*question)) return;
    queue_.Exclude(*node);
    RebuildTree(&queue_.Root());
    Tree()->setFocus();
}

void CBatchDialogBar::ExcludeFromList() {
    std::vector<BatchQueue::ListedFile> selected;
    for (const IMAGETHUMBDATA* record : SelectedRecords())
        selected.push_back({static_cast<const FOLDERDATA*>(record->owner), record->path});
    if (selected.empty() || !Ask(BatchQueue::ExcludeListQuestion(selected))) return;
    const FOLDERDATA* shown = CurrentNode();
    queue_.ExcludeListed(selected);
    bool stillQueued = false;
    for (const auto& record : queue_.Records()) stillQueued |= record.get() == shown;
    RebuildTree(stillQueued ? shown : &queue_.Root());
}

void CBatchDialogBar::EditSettings() {
    BatchSettings edited = settings_;
    if (edit_(edited)) {
        settings_ = edited;
        SaveBatchSettings(*context_.store, settings_);
    }
    RebuildSettingsSummary();
}

void CBatchDialogBar::RebuildSettingsSummary() {
    summary_->setText(QString::fromStdString(BatchSettingsSummary(settings_, *context_.presets))
                          .replace("\r\n", "\n"));
}

bool CBatchDialogBar::RunBatch() {
    if (!Ask(RunQuestionText(queue_.QueuedImageCount()))) return false;
    std::vector<std::string> files = queue_.RunFileList();
    if (OverwriteQuestionNeeded(settings_, files) && !Ask(kOverwriteQuestion)) return false;
    job_.Prepare(settings_, std::move(files));
    Q_EMIT runBatchRequested(&job_);
    return true;
}

void CBatchDialogBar::ListNodeFiles() {
    const FOLDERDATA* node = CurrentNode();
    if (!node) return;
    for (const BatchQueue::ListedFile& file : queue_.ListFiles(*node)) {
        const std::filesystem::path path(file.path);
        std::error_code ec;
        const uintmax_t size = std::filesystem::file_size(path, ec);
        IMAGETHUMBDATA& record =
            AddListItem({WithTrailingSeparator(path.parent_path().string()),
                         path.filename().string(), file.path, ec ? 0 : uint64_t(size)},
                        file.owner);
        const FileStatus status = StatusOf(file.path, job_.processedList, job_.failedList);
        record.status = int32_t(status);
        record.statusText = FileStatusText(status);
    }
}

void CBatchDialogBar::StoreViewMode(ViewMode mode) {
    context_.options->settings3.batchView = int32_t(mode);
    SaveSettings(*context_.store, *context_.options);
}

void CBatchDialogBar::ShowListContextMenu(const QPoint& global, IMAGETHUMBDATA* hit) {
    QMenu menu;
    QAction* exclude = menu.addAction(kItemExclude);
    exclude->setEnabled(hit != nullptr);
    menu.addSeparator();
    QAction* folder = menu.addAction(kItemAddFolder);
    QAction* files = menu.addAction(kItemAddFiles);
    QAction* chosen = menu.exec(global);
    if (chosen == exclude) ExcludeFromList();
    else if (chosen == folder) AddFolder();
    else if (chosen == files) AddFiles();
}

}  // namespace stillpix
