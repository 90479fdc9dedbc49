#include "ui/preset_pictures.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include "settings/preset_selection.h"

// The strip lives in this static library: its resource must be registered by hand.
static void RegisterUiResources() { Q_INIT_RESOURCE(ui_resources); }

namespace stillpix {
namespace {

// The drop-down is as wide as the widest name plus a margin, within bounds.
constexpr int kDropDownMargin = 26;
constexpr int kDropDownMaxWidth = 200;

// Custom filters sit one step in from the presets above them.
class IndentingDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.adjust(index.data(kPresetIndentRole).toInt() * kPresetPictureSize, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

const QPixmap& Strip() {
    static const QPixmap strip = [] {
        RegisterUiResources();
        return QPixmap(QStringLiteral(":/ui/preset_pictures.xpm"));
    }();
    return strip;
}

}  // namespace

QIcon PresetIcon(int imageIndex) {
    if (imageIndex < 0 || imageIndex >= kPresetPictureCount) imageIndex = kImageGeneral;
    return QIcon(
        Strip().copy(imageIndex * kPresetPictureSize, 0, kPresetPictureSize, kPresetPictureSize));
}

void FillPresetList(QComboBox& box, const PresetTable& table, int selectSlot) {
    const QSignalBlocker quiet(&box);
    if (!dynamic_cast<IndentingDelegate*>(box.itemDelegate()))
        box.setItemDelegate(new IndentingDelegate(&box));
    box.setIconSize(QSize(kPresetPictureSize, kPresetPictureSize));
    box.clear();
    int widest = 0;
    for (int slot = 0; slot < table.count; ++slot) {
        const FilterPreset& preset = table.slots[slot];
        const QString name = QString::fromStdString(preset.name);
        box.addItem(PresetIcon(preset.imageIndex), name);
        box.setItemData(slot, PresetIndent(slot), kPresetIndentRole);
        widest = std::max(widest, box.fontMetrics().horizontalAdvance(name) +
                                      (PresetIndent(slot) + 1) * kPresetPictureSize);
    }
    box.view()->setMinimumWidth(std::min(kDropDownMaxWidth, widest + kDropDownMargin));
    box.setCurrentIndex(selectSlot);
}

void ShowPresetInList(QComboBox& box, int slot) {
    const QSignalBlocker quiet(&box);
    box.setCurrentIndex(slot);
}

}  // namespace stillpix
