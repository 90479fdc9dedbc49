#include "browser/right_pane_dialog_bar.h"

#include <algorithm>
#include <memory>

#include <QActionGroup>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "browser/thumbnail_loader.h"

namespace stillpix {

namespace {

constexpr int kInfoBoxHeight = 72;
constexpr int kDetailsIconSize = 16;

}  // namespace

QString CommandTip(const char* command) {
    return QString::fromUtf8(command).section(QLatin1Char('\n'), 1);
}

QString CommandStatus(const char* command) {
    return QString::fromUtf8(command).section(QLatin1Char('\n'), 0, 0);
}

CRightPaneDialogBar::CRightPaneDialogBar(const QString& title, std::vector<ListColumn> columns,
                                         QWidget* parent)
    : QDockWidget(title, parent), model_(new ThumbnailListModel(std::move(columns), this)) {
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    auto* body = new QWidget(this);
    column_ = new QVBoxLayout(body);
    column_->setContentsMargins(4, 4, 4, 4);
    buttonBar_ = new QToolBar(body);
    buttonBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    column_->addWidget(buttonBar_);

    splitter_ = new QSplitter(Qt::Vertical, body);
    tree_ = new QTreeWidget(splitter_);
    tree_->setHeaderHidden(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    lists_ = new QStackedWidget(splitter_);
    iconList_ = new QListView(lists_);
    iconList_->setViewMode(QListView::IconMode);
    iconList_->setMovement(QListView::Static);
    iconList_->setResizeMode(QListView::Adjust);
    iconList_->setUniformItemSizes(true);
    iconList_->setWordWrap(true);
    detailsList_ = new QTreeView(lists_);
    detailsList_->setRootIsDecorated(false);
    detailsList_->setUniformRowHeights(true);
    detailsList_->setIconSize(QSize(kDetailsIconSize, kDetailsIconSize));
    detailsList_->header()->setSectionsClickable(true);
    detailsList_->header()->setStretchLastSection(false);
    for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(iconList_),
                                    static_cast<QAbstractItemView*>(detailsList_)}) {
        list->setModel(model_);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        lists_->addWidget(list);
        connect(list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
            if (const IMAGETHUMBDATA* record = model_->Record(index.row())) OpenFile(record->path);
        });
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
            ShowListContextMenu(list->viewport()->mapToGlobal(at),
                                model_->Record(list->indexAt(at).row()));
        });
        // Scrolling brings other items into view: the loader has work again.
        connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this,
                &CRightPaneDialogBar::WakeLoader);
        connect(list->horizontalScrollBar(), &QScrollBar::valueChanged, this,
                &CRightPaneDialogBar::WakeLoader);
    }
    // Both views show one selection.
    detailsList_->setSelectionModel(iconList_->selectionModel());
    connect(iconList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CRightPaneDialogBar::UpdateInfoBox);
    connect(detailsList_->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < int(model_->Columns().size()))
            SortBy(model_->Columns()[std::size_t(section)]);
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { RefreshList(); });

    infoBox_ = new QPlainTextEdit(splitter_);
    infoBox_->setReadOnly(true);
    infoBox_->setMaximumHeight(kInfoBoxHeight);
    infoBox_->setMinimumHeight(kInfoBoxHeight / 2);
    splitter_->setStretchFactor(0, 2);
    splitter_->setStretchFactor(1, 3);
    splitter_->setStretchFactor(2, 0);
    column_->addWidget(splitter_, 1);
    setWidget(body);

    idle_.setInterval(0);
    connect(&idle_, &QTimer::timeout, this, &CRightPaneDialogBar::IdlePass);
    ShowView();
}

CRightPaneDialogBar::~CRightPaneDialogBar() {
    // A decode under way ends by itself; its hand-back dies with this object.
    if (decoder_.joinable()) decoder_.join();
}

QAbstractItemView* CRightPaneDialogBar::CurrentList() const {
    return mode_ == ViewMode::kDetails ? static_cast<QAbstractItemView*>(detailsList_)
                                       : static_cast<QAbstractItemView*>(iconList_);
}

QToolButton* CRightPaneDialogBar::AddButton(const char* command, QMenu* menu) {
    auto* button = new QToolButton(buttonBar_);
    // Sized by its words: the icon-only default gives a button too low for its text.
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setText(CommandTip(command));
    button->setToolTip(CommandTip(command));
    button->setStatusTip(CommandStatus(command));
    button->setAutoRaise(true);
    if (menu) {
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
    }
    buttonBar_->addWidget(button);
    return button;
}

void CRightPaneDialogBar::AddViewAndSortButtons() {
    viewsMenu_ = new QMenu(this);
    auto* group = new QActionGroup(viewsMenu_);
    for (int i = 0; i < 4; ++i) {
        QAction* action = viewsMenu_->addAction(kViewItems[i]);
        action->setCheckable(true);
        action->setChecked(ViewMode(i) == mode_);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] { SetViewMode(ViewMode(i)); });
    }
    AddButton(kCommandViews, viewsMenu_)->setObjectName("views");
    auto* sortMenu = new QMenu(this);
    for (std::size_t i = 0; i < SortMenuColumns().size(); ++i) {
        const ListColumn column = SortMenuColumns()[i];
        connect(sortMenu->addAction(kSortItems[i]), &QAction::triggered, this,
                [this, column] { SortBy(column); });
    }
    AddButton(kCommandSort, sortMenu)->setObjectName("sort");
}

void CRightPaneDialogBar::StartInView(ViewMode mode) {
    mode_ = mode;
    thumbnailSize_ = ThumbnailSize(mode);
    ShowView();
}

void CRightPaneDialogBar::ShowView() {
    const bool details = mode_ == ViewMode::kDetails;
    model_->SetThumbnailSize(thumbnailSize_, details);
    if (!details) {
        iconList_->setIconSize(QSize(thumbnailSize_, thumbnailSize_));
        const int textHeight = iconList_->fontMetrics().height();
        iconList_->setGridSize(QSize(thumbnailSize_ + 24, thumbnailSize_ + 2 * textHeight + 8));
    }
    lists_->setCurrentWidget(CurrentList());
    if (viewsMenu_)
        for (int i = 0; i < viewsMenu_->actions().size(); ++i)
            viewsMenu_->actions()[i]->setChecked(ViewMode(i) == mode_);
    ApplyColumnWidths();
}

void CRightPaneDialogBar::ApplyColumnWidths() {
    QHeaderView* header = detailsList_->header();
    const std::vector<ListColumn>& columns = model_->Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int fixed = ColumnWidth(columns[i]);
        const int fitted =
            header->fontMetrics().horizontalAdvance(QString::fromUtf8(ColumnHeader(columns[i]))) +
            24;
        header->resizeSection(int(i), fixed > 0 ? fixed : fitted);
    }
}

void CRightPaneDialogBar::SetViewMode(ViewMode mode) {
    mode_ = mode;
    StoreViewMode(mode);
    if (mode == ViewMode::kDetails) {
        thumbnailSize_ = kDetailsIconSize;
        ShowView();
    } else {
        thumbnailSize_ = ThumbnailSize(mode);
        ShowView();
        if (thumbnailSize_ != lastBuildSize_) RefreshList();
    }
    WakeLoader();
}

void CRightPaneDialogBar::SortBy(ListColumn column) {
    sort_.Choose(column);
    model_->Sort(sort_);
    WakeLoader();
}

void CRightPaneDialogBar::RefreshList() {
    model_->Clear();
    ApplyColumnWidths();
    if (thumbnailSize_ != lastBuildSize_) lastBuildSize_ = thumbnailSize_;
    ListNodeFiles();
    detailsList_->resizeColumnToContents(model_->ColumnOf(ListColumn::kName));
    UpdateInfoBox();
    WakeLoader();
}

IMAGETHUMBDATA& CRightPaneDialogBar::AddListItem(const ListedImageFile& file, const void* owner) {
    auto record = std::make_unique<IMAGETHUMBDATA>();
    record->folder = file.folder;
    record->name = file.name;
    record->path = file.path;
    record->fileSize = file.size;
    record->sizeText = SizeText(file.size);
    record->owner = owner;
    return model_->Append(std::move(record));
}

std::vector<IMAGETHUMBDATA*> CRightPaneDialogBar::SelectedRecords() const {
    std::vector<int> rows;
    for (const QModelIndex& index : iconList_->selectionModel()->selectedIndexes())
        if (index.column() == 0) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<IMAGETHUMBDATA*> records;
    for (int row : rows) records.push_back(model_->Record(row));
    return records;
}

void CRightPaneDialogBar::OpenFile(const std::string& path) {
    Q_EMIT openFileRequested(QString::fromStdString(path));
}

void CRightPaneDialogBar::WakeLoader() {
    if (!idle_.isActive() && !decoding_) idle_.start();
}

void CRightPaneDialogBar::UpdateInfoBox() {
    std::vector<const IMAGETHUMBDATA*> selected;
    for (IMAGETHUMBDATA* record : SelectedRecords()) selected.push_back(record);
    const QString text =
        QString::fromStdString(InfoBoxText(selected, model_->Count())).replace("\r\n", "\n");
    if (infoBox_->toPlainText() != text) infoBox_->setPlainText(text);
}

IMAGETHUMBDATA* CRightPaneDialogBar::NextItem() const {
    const bool details = mode_ == ViewMode::kDetails;
    const auto needsWork = [details](const IMAGETHUMBDATA& record) {
        return (!details && record.thumbnailState == ThumbnailState::kNone) || !record.infoLoaded;
    };
    QAbstractItemView* list = CurrentList();
    const QRect client = list->viewport()->rect();
    if (list->isVisible()) {
        for (const auto& record : model_->Records()) {
            if (!needsWork(*record)) continue;
            const QModelIndex index = model_->index(model_->RowOf(record.get()), 0);
            if (list->visualRect(index).intersects(client)) return record.get();
        }
    }
    if (details)
        for (const auto& record : model_->Records())
            if (needsWork(*record)) return record.get();
    return nullptr;
}

bool CRightPaneDialogBar::IdleStep() {
    IMAGETHUMBDATA* chosen = NextItem();
    if (chosen) {
        LoadItem(*chosen, thumbnailSize_, mode_ == ViewMode::kDetails);
        model_->RecordChanged(chosen);
    }
    UpdateInfoBox();
    return chosen != nullptr;
}

void CRightPaneDialogBar::IdlePass() {
    const bool details = mode_ == ViewMode::kDetails;
    IMAGETHUMBDATA* item = NextItem();
    if (!item) {
        idle_.stop();
    } else if (NextReading(*item, details) != ReadingKind::kThumbnail) {  // quick: read here
        LoadItem(*item, thumbnailSize_, details);
        model_->RecordChanged(item);
    } else {
        idle_.stop();
        decoding_ = true;
        if (decoder_.joinable()) decoder_.join();  // it has handed back already
        decoder_ = std::thread([this, item, generation = model_->Generation(), path = item->path,
                                size = thumbnailSize_] {
            auto reading =
                std::make_shared<ItemReading>(ReadItem(path, size, ReadingKind::kThumbnail));
            QMetaObject::invokeMethod(
                this,
                [this, item, generation, reading] { TakeDecoded(item, generation, *reading); },
                Qt::QueuedConnection);
        });
    }
    UpdateInfoBox();
}

void CRightPaneDialogBar::TakeDecoded(IMAGETHUMBDATA* item, uint64_t generation,
                                      const ItemReading& reading) {
    decoding_ = false;
    // A list refreshed meanwhile has dropped the item.
    if (generation == model_->Generation()) {
        ApplyReading(*item, reading);
        model_->RecordChanged(item);
    }
    UpdateInfoBox();
    WakeLoader();
}

}  // namespace stillpix
