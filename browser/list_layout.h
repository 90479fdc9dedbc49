// The thumbnail list's rules that hold without a window: the four views and their thumbnail
// sizes, the columns of each pane with their widths, the sort keys and their order, and the
// information box under the list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "browser/image_thumb_data.h"

namespace stillpix {

enum class ViewMode : int32_t { kSmall = 0, kMedium = 1, kLarge = 2, kDetails = 3 };

// The stored view value as a view: above 3 (or below 0) gives Medium.
ViewMode ViewModeOf(int32_t stored);
// 64, 96, 128 in the icon views; 16 in Details.
int ThumbnailSize(ViewMode mode);

enum class ListColumn { kName, kIso, kSize, kDimensions, kModel, kDate, kStatus };

// The browser's columns, left to right, and the batch pane's (with "Status" second).
const std::vector<ListColumn>& BrowserColumns();
const std::vector<ListColumn>& BatchColumns();
const char* ColumnHeader(ListColumn column);
// Fixed width in pixels; 0 for a column that fits its header.
int ColumnWidth(ListColumn column);
// A cell of the Details view ("" until the item's info is loaded, the name always).
std::string CellText(const IMAGETHUMBDATA& item, ListColumn column);

// The "&Sort" drop-down's keys in menu order.
const std::vector<ListColumn>& SortMenuColumns();

// Ascending comparison of two items by a column: -1, 0 or 1 (dimensions never give 0).
int CompareItems(const IMAGETHUMBDATA& a, const IMAGETHUMBDATA& b, ListColumn column);

struct SortState {
    ListColumn column = ListColumn::kName;
    bool descending = false;
    // The same column again toggles the direction; another one keeps it.
    void Choose(ListColumn chosen) {
        if (chosen == column) descending = !descending;
        column = chosen;
    }
};

// Orders the items by the state (a stable sort: items the comparison calls equal keep their
// order).
void SortItems(std::vector<IMAGETHUMBDATA*>& items, const SortState& state);

// The information box for the selected items (in list order) out of `itemCount`.
std::string InfoBoxText(const std::vector<const IMAGETHUMBDATA*>& selected, int itemCount);

}  // namespace stillpix
