#include "browser/list_layout.h"

#include <algorithm>
#include <cstdio>

namespace stillpix {

namespace {

int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

template <class T>
int Order(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

std::string Format(const char* format, int a, int b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

}  // namespace

std::string SizeText(uint64_t fileSize) { return Format(kSizeTextFormat, int(fileSize / 1024)); }

ViewMode ViewModeOf(int32_t stored) {
    return stored >= 0 && stored <= 3 ? ViewMode(stored) : ViewMode::kMedium;
}

int ThumbnailSize(ViewMode mode) {
    switch (mode) {
        case ViewMode::kSmall: return 64;
        case ViewMode::kLarge: return 128;
        case ViewMode::kDetails: return 16;
        default: return 96;
    }
}

const std::vector<ListColumn>& BrowserColumns() {
    static const std::vector<ListColumn> columns = {ListColumn::kName,  ListColumn::kIso,
                                                    ListColumn::kSize,  ListColumn::kDimensions,
                                                    ListColumn::kModel, ListColumn::kDate};
    return columns;
}

const std::vector<ListColumn>& BatchColumns() {
    static const std::vector<ListColumn> columns = {
        ListColumn::kName,       ListColumn::kStatus, ListColumn::kIso, ListColumn::kSize,
        ListColumn::kDimensions, ListColumn::kModel,  ListColumn::kDate};
    return columns;
}

const char* ColumnHeader(ListColumn column) {
    switch (column) {
        case ListColumn::kName: return kHeaderFile;
        case ListColumn::kIso: return kHeaderIso;
        case ListColumn::kSize: return kHeaderSize;
        case ListColumn::kDimensions: return kHeaderDimensions;
        case ListColumn::kModel: return kHeaderModel;
        case ListColumn::kDate: return kHeaderDate;
        case ListColumn::kStatus: return kHeaderStatus;
    }
    return "";
}

int ColumnWidth(ListColumn column) {
    switch (column) {
        case ListColumn::kName: return 120;
        case ListColumn::kSize: return 60;
        case ListColumn::kModel:
        case ListColumn::kStatus: return 80;
        default: return 0;
    }
}

std::string CellText(const IMAGETHUMBDATA& item, ListColumn column) {
    if (column == ListColumn::kName) return item.name;
    if (!item.infoLoaded) return column == ListColumn::kStatus ? item.statusText : std::string();
    switch (column) {
        case ListColumn::kIso: return item.isoText;
        case ListColumn::kSize: return item.sizeText;
        case ListColumn::kDimensions: return Format(kDimensionsFormat, item.width, item.height);
        case ListColumn::kModel: return item.model;
        case ListColumn::kDate: return item.dateText;
        case ListColumn::kStatus: return item.statusText;
        default: return {};
    }
}

const std::vector<ListColumn>& SortMenuColumns() {
    static const std::vector<ListColumn> columns = {ListColumn::kName, ListColumn::kIso,
                                                    ListColumn::kSize, ListColumn::kDimensions,
                                                    ListColumn::kDate, ListColumn::kModel};
    return columns;
}

int CompareItems(const IMAGETHUMBDATA& a, const IMAGETHUMBDATA& b, ListColumn column) {
    switch (column) {
        case ListColumn::kName: return Sign(a.name.compare(b.name));
        case ListColumn::kIso: return Order(a.isoValue, b.isoValue);
        case ListColumn::kSize: return Order(a.fileSize, b.fileSize);
        case ListColumn::kDimensions: {
            // The product of two 32-bit values as the pane always took it: wrapped to 32 bits.
            const auto product = [](const IMAGETHUMBDATA& item) {
                return int32_t(uint32_t(item.width) * uint32_t(item.height));
            };
            return product(a) < product(b) ? -1 : 1;
        }
        case ListColumn::kModel: return Sign(a.model.compare(b.model));
        case ListColumn::kDate: return Sign(a.dateText.compare(b.dateText));
        case ListColumn::kStatus: return Sign(a.statusText.compare(b.statusText));
    }
    return 0;
}

void SortItems(std::vector<IMAGETHUMBDATA*>& items, const SortState& state) {
    std::stable_sort(items.begin(), items.end(),
                     [&state](const IMAGETHUMBDATA* a, const IMAGETHUMBDATA* b) {
                         // Descending asks b against a, which keeps the order strict where
                         // the comparison never says equal (dimensions).
                         return state.descending ? CompareItems(*b, *a, state.column) < 0
                                                 : CompareItems(*a, *b, state.column) < 0;
                     });
}

std::string InfoBoxText(const std::vector<const IMAGETHUMBDATA*>& selected, int itemCount) {
    if (selected.empty()) return Format(kInfoImages, itemCount);
    if (selected.size() > 1) return Format(kInfoImagesSelected, int(selected.size()));
    const IMAGETHUMBDATA& item = *selected.front();
    std::string text = kInfoFile + item.path + "\r\n";
    if (item.thumbnailState != ThumbnailState::kNone || item.infoLoaded) {
        text += kInfoModel + item.model + "\r\n";
        text += kInfoDimensions + Format(kDimensionsFormat, item.width, item.height) + "\r\n";
        text += kInfoIso + item.isoText + "\r\n";
    }
    return text;
}

}  // namespace stillpix
