#include "ui/filter_save_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>

namespace stillpix {

CFilterSaveDialog::CFilterSaveDialog(SettingsStore& store, PresetTable& table, int fromSlot,
                                     MessagePrompter ask, QWidget* parent)
    : QDialog(parent), store_(store), table_(table), fromSlot_(fromSlot), ask_(std::move(ask)) {
    setWindowTitle(tr("Save Custom Filter Settings"));
    name_ = new QComboBox(this);
    name_->setEditable(true);
    name_->setInsertPolicy(QComboBox::NoInsert);
    for (int slot = kFirstCustomFilterSlot; slot < table_.count; ++slot)
        name_->addItem(QString::fromStdString(table_.slots[slot].name));
    name_->setCurrentIndex(-1);
    name_->setMinimumWidth(260);

    auto* nameLabel = new QLabel(tr("Name"), this);
    nameLabel->setBuddy(name_);
    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this)
                        .pixmap(iconSize, iconSize));
    auto* note = new QLabel(QString::fromUtf8(kFilterSaveNote), this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFilterSaveDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFilterSaveDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(nameLabel, 0, 0);
    layout->addWidget(name_, 0, 1, 1, 2);
    layout->addWidget(icon, 1, 0, Qt::AlignTop);
    layout->addWidget(note, 1, 1, 1, 2);
    layout->addWidget(buttons, 2, 0, 1, 3);
    layout->setColumnStretch(1, 1);
}

void CFilterSaveDialog::accept() {
    const std::string name = name_->currentText().toStdString();
    SaveFilterResult result = SaveCustomFilter(store_, table_, name, fromSlot_, false);
    if (result.outcome == SaveFilterOutcome::kConfirmOverwrite) {
        if (ask_({MessageKind::kQuestion, result.message, MessageButtons::kYesNo}) !=
            MessageAnswer::kYes)
            return;
        result = SaveCustomFilter(store_, table_, name, fromSlot_, true);
    }
    switch (result.outcome) {
        case SaveFilterOutcome::kNameTooLong:
        case SaveFilterOutcome::kNameMissing:
            ask_({MessageKind::kWarning, result.message, MessageButtons::kOk});
            return;
        case SaveFilterOutcome::kTableFull:
            ask_({MessageKind::kError, result.message, MessageButtons::kOk});
            return;
        case SaveFilterOutcome::kConfirmOverwrite:
        case SaveFilterOutcome::kNoSuchSlot: return;
        case SaveFilterOutcome::kSaved:
        case SaveFilterOutcome::kWriteFailed: break;
    }
    result_ = result;
    QDialog::accept();
}

}  // namespace stillpix
