#include "browser/thumbnail_list_model.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QStyle>

namespace stillpix {

ThumbnailListModel::ThumbnailListModel(std::vector<ListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

int ThumbnailListModel::ColumnOf(ListColumn column) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i] == column) return int(i);
    return -1;
}

void ThumbnailListModel::Clear() {
    beginResetModel();
    ++generation_;
    rows_.clear();
    rowOf_.clear();
    framed_.clear();
    framedTypes_.clear();
    records_.clear();
    iconCache_.clear();
    endResetModel();
}

IMAGETHUMBDATA& ThumbnailListModel::Append(std::unique_ptr<IMAGETHUMBDATA> record) {
    const int row = int(rows_.size());
    beginInsertRows({}, row, row);
    IMAGETHUMBDATA* item = record.get();
    records_.push_back(std::move(record));
    rows_.push_back(item);
    rowOf_[item] = row;
    endInsertRows();
    return *item;
}

IMAGETHUMBDATA* ThumbnailListModel::Record(int row) const {
    return row >= 0 && row < int(rows_.size()) ? rows_[std::size_t(row)] : nullptr;
}

int ThumbnailListModel::RowOf(const IMAGETHUMBDATA* record) const {
    const auto found = rowOf_.find(record);
    return found == rowOf_.end() ? -1 : found->second;
}

void ThumbnailListModel::SetThumbnailSize(int size, bool details) {
    if (size == size_ && details == details_) return;
    if (!details) size_ = size;
    details_ = details;
    framed_.clear();
    framedTypes_.clear();
    if (!rows_.empty())
        Q_EMIT dataChanged(index(0, 0), index(int(rows_.size()) - 1, 0), {Qt::DecorationRole});
}

void ThumbnailListModel::RecordChanged(const IMAGETHUMBDATA* record) {
    const int row = RowOf(record);
    if (row < 0) return;
    framed_.erase(record);
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ThumbnailListModel::Sort(const SortState& state) {
    Q_EMIT layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<IMAGETHUMBDATA*> moved;
    for (const QModelIndex& index : before) moved.push_back(Record(index.row()));
    SortItems(rows_, state);
    for (std::size_t row = 0; row < rows_.size(); ++row) rowOf_[rows_[row]] = int(row);
    QModelIndexList after;
    for (std::size_t i = 0; i < moved.size(); ++i)
        after.push_back(index(RowOf(moved[i]), before[int(i)].column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
}

int ThumbnailListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ThumbnailListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QIcon ThumbnailListModel::TypeIcon(const IMAGETHUMBDATA& record) const {
    const QString extension = QFileInfo(QString::fromStdString(record.name)).suffix().toLower();
    auto found = iconCache_.find(extension);
    if (found != iconCache_.end()) return *found;
    QIcon icon = iconProvider_.icon(QFileInfo(QString::fromStdString(record.path)));
    if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    iconCache_.insert(extension, icon);
    return icon;
}

QPixmap ThumbnailListModel::Framed(const IMAGETHUMBDATA& record) const {
    const bool loaded = record.thumbnailState == ThumbnailState::kLoaded;
    // Items without a thumbnail share their type's framed icon: a listing of thousands of files
    // then costs one cell per extension, not one per item (fitting the name column asks for many).
    const QString extension =
        loaded ? QString() : QFileInfo(QString::fromStdString(record.name)).suffix().toLower();
    if (loaded) {
        if (const auto found = framed_.find(&record); found != framed_.end()) return found->second;
    } else if (const auto found = framedTypes_.find(extension); found != framedTypes_.end()) {
        return *found;
    }
    QPixmap cell(size_, size_);
    cell.fill(Qt::transparent);
    QPainter painter(&cell);
    QImage picture =
        loaded ? record.thumbnail : TypeIcon(record).pixmap(std::min(32, size_ - 4)).toImage();
    if (picture.width() > size_ - 2 || picture.height() > size_ - 2)
        picture =
            picture.scaled(size_ - 2, size_ - 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QRect shown((size_ - picture.width()) / 2, (size_ - picture.height()) / 2,
                      picture.width(), picture.height());
    painter.drawImage(shown, picture);
    painter.setPen(QApplication::palette().color(QPalette::Mid));
    painter.drawRect(loaded ? shown.adjusted(-1, -1, 0, 0) : QRect(0, 0, size_ - 1, size_ - 1));
    painter.end();
    if (loaded) framed_[&record] = cell;
    else framedTypes_.insert(extension, cell);
    return cell;
}

QVariant ThumbnailListModel::data(const QModelIndex& index, int role) const {
    const IMAGETHUMBDATA* record = Record(index.row());
    if (!record || index.column() < 0 || index.column() >= columnCount()) return {};
    const ListColumn column = columns_[std::size_t(index.column())];
    switch (role) {
        case Qt::DisplayRole: return QString::fromStdString(CellText(*record, column));
        case Qt::DecorationRole:
            if (column != ListColumn::kName) return {};
            if (details_) return TypeIcon(*record);
            return Framed(*record);
        case Qt::ToolTipRole: return QString::fromStdString(record->path);
        case kPathRole: return QString::fromStdString(record->path);
        default: return {};
    }
}

QVariant ThumbnailListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return QString::fromUtf8(ColumnHeader(columns_[std::size_t(section)]));
}

}  // namespace stillpix
