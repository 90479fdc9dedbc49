// The program's message boxes: a fixed text with the icon and buttons of its kind.
#pragma once

#include <functional>

#include <QString>

#include "document/user_message.h"

class QWidget;

namespace stillpix {

// The text as a window shows it: "\r\n" becomes a line break.
QString MessageText(const std::string& text);

// Shows `message` modally over `parent` and returns the button pressed (Escape gives No, or
// Cancel where there is one).
MessageAnswer ShowMessageBox(QWidget* parent, const UserMessage& message);

// How a window asks the user; tests put a scripted answerer in place of the message box.
using MessagePrompter = std::function<MessageAnswer(const UserMessage&)>;

// A prompter that shows real message boxes over `parent`.
MessagePrompter MessageBoxPrompter(QWidget* parent);

}  // namespace stillpix
