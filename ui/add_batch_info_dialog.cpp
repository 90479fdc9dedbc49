#include "ui/add_batch_info_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace stillpix {

CAddBatchDialogInfo::CAddBatchDialogInfo(const QString& text,
                                         std::function<void(bool)> dontShowAgain, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Image Browser");
    auto* column = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32));
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    label->setMinimumWidth(320);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(label, 1);
    column->addLayout(row);
    dontShow_ = new QCheckBox("Do not show this window next time", this);
    column->addWidget(dontShow_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* proceed = buttons->addButton("Continue", QDialogButtonBox::AcceptRole);
    QPushButton* open = buttons->addButton("Open Batch", QDialogButtonBox::ActionRole);
    proceed->setDefault(true);
    column->addWidget(buttons);
    connect(proceed, &QPushButton::clicked, this, &QDialog::accept);
    connect(open, &QPushButton::clicked, this, [this] { done(kOpenBatch); });
    connect(dontShow_, &QCheckBox::clicked, this, [dontShowAgain](bool checked) {
        if (dontShowAgain) dontShowAgain(checked);
    });
}

}  // namespace stillpix
