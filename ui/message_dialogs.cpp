#include "ui/message_dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "document/document_texts.h"
#include "ui/message_box.h"
#include "ui/ui_texts.h"

namespace stillpix {

namespace {

// A dialog with a text block, a hint and a "Do not show" box under an OK button.
bool ShowNotice(QWidget* parent, const char* title, const QString& text, const QString& detail) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* main = new QLabel(text, &dialog);
    auto* hint = new QLabel(detail, &dialog);
    hint->setWordWrap(true);
    main->setWordWrap(true);
    auto* box = new QCheckBox(kDoNotShowAgain, &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    layout->addWidget(main);
    layout->addWidget(hint);
    layout->addWidget(box);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    dialog.setMinimumWidth(380);
    dialog.exec();
    return box->isChecked();
}

}  // namespace

IccAnswer CICCPromptDialog::Ask(QWidget* parent, const UserMessage& message) {
    QMessageBox box(QMessageBox::Question, kIccPromptTitle, MessageText(message.text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    auto* remember = new QCheckBox(kDoNotAskAgain, &box);
    box.setCheckBox(remember);
    IccAnswer answer;
    answer.apply = box.exec() == QMessageBox::Yes;
    answer.remember = remember->isChecked();
    return answer;
}

bool CProcessSummaryDialog::Show(QWidget* parent, const std::string& text) {
    return ShowNotice(parent, kSummaryTitle, MessageText(text), kSummaryHint);
}

bool CPreviewInfoDialog::Show(QWidget* parent) {
    return ShowNotice(parent, kPreviewInfoTitle, kPreviewInfoText, kPreviewInfoDetail);
}

}  // namespace stillpix
