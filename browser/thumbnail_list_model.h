// The thumbnail list as a model: one row per IMAGETHUMBDATA record (owned here), the columns of
// the pane, the type icon or framed thumbnail as decoration, and the list's own sort.
#pragma once

#include <QAbstractTableModel>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <memory>
#include <unordered_map>
#include <vector>

#include "browser/list_layout.h"

namespace stillpix {

class ThumbnailListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPathRole = Qt::UserRole;

    explicit ThumbnailListModel(std::vector<ListColumn> columns, QObject* parent = nullptr);

    const std::vector<ListColumn>& Columns() const { return columns_; }
    int ColumnOf(ListColumn column) const;

    // Drops every record with its thumbnail and the icon cache.
    void Clear();
    // Raised by each Clear: work begun on a record of an earlier list is stale.
    uint64_t Generation() const { return generation_; }
    // Appends a record as the last row.
    IMAGETHUMBDATA& Append(std::unique_ptr<IMAGETHUMBDATA> record);
    // The records in insertion order (the idle loader's order), and by row.
    const std::vector<std::unique_ptr<IMAGETHUMBDATA>>& Records() const { return records_; }
    IMAGETHUMBDATA* Record(int row) const;
    int RowOf(const IMAGETHUMBDATA* record) const;
    int Count() const { return int(rows_.size()); }

    // The side of the decoration: the thumbnail size in the icon views, 16 in Details.
    void SetThumbnailSize(int size, bool details);
    int ThumbnailSideShown() const { return details_ ? 16 : size_; }
    // The record changed (after loading): its row repaints.
    void RecordChanged(const IMAGETHUMBDATA* record);
    void Sort(const SortState& state);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QIcon TypeIcon(const IMAGETHUMBDATA& record) const;
    QPixmap Framed(const IMAGETHUMBDATA& record) const;

    std::vector<ListColumn> columns_;
    std::vector<std::unique_ptr<IMAGETHUMBDATA>> records_;
    std::vector<IMAGETHUMBDATA*> rows_;
    std::unordered_map<const IMAGETHUMBDATA*, int> rowOf_;
    uint64_t generation_ = 0;
    int size_ = 96;
    bool details_ = false;
    QFileIconProvider iconProvider_;
    mutable QHash<QString, QIcon> iconCache_;                            // by lower-case extension
    mutable std::unordered_map<const IMAGETHUMBDATA*, QPixmap> framed_;  // loaded thumbnails
    mutable QHash<QString, QPixmap> framedTypes_;  // type icons, by lower-case extension
};

}  // namespace stillpix
