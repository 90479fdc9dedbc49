#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "document/document_texts.h"

namespace stillpix {

QString MessageText(const std::string& text) { return QString::fromStdString(DisplayText(text)); }

MessageAnswer ShowMessageBox(QWidget* parent, const UserMessage& message) {
    QMessageBox box(parent);
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setText(MessageText(message.text));
    switch (message.kind) {
        case MessageKind::kError: box.setIcon(QMessageBox::Critical); break;
        case MessageKind::kWarning: box.setIcon(QMessageBox::Warning); break;
        case MessageKind::kQuestion: box.setIcon(QMessageBox::Question); break;
        case MessageKind::kInformation: box.setIcon(QMessageBox::Information); break;
    }
    switch (message.buttons) {
        case MessageButtons::kOk: box.setStandardButtons(QMessageBox::Ok); break;
        case MessageButtons::kYesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            break;
        case MessageButtons::kYesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return MessageAnswer::kYes;
        case QMessageBox::No: return MessageAnswer::kNo;
        case QMessageBox::Cancel: return MessageAnswer::kCancel;
        default:
            return message.buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kNo;
    }
}

MessagePrompter MessageBoxPrompter(QWidget* parent) {
    return [parent](const UserMessage& message) { return ShowMessageBox(parent, message); };
}

}  // namespace stillpix
