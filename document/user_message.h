// What the document tells or asks the user: a fixed text with its kind, for the window to show
// in a message box with the matching icon and buttons.
#pragma once

#include <string>

namespace stillpix {

enum class MessageKind { kError, kWarning, kQuestion, kInformation };
enum class MessageButtons { kOk, kYesNo, kYesNoCancel };
enum class MessageAnswer { kOk, kYes, kNo, kCancel };

struct UserMessage {
    MessageKind kind = MessageKind::kInformation;
    std::string text;
    MessageButtons buttons = MessageButtons::kOk;

    bool operator==(const UserMessage&) const = default;
};

// The answer to the ICC prompt ("Open"): Yes converts; `remember` is the check box
// "Do not ask this question next time".
struct IccAnswer {
    bool apply = false;
    bool remember = false;
};

}  // namespace stillpix
