// The program's small modal windows with a "Do not ask/show ... next time" box: the ICC prompt
// ("Open"), "Processing Summary" and "Automatic Preview Information".
#pragma once

#include <string>

#include "document/user_message.h"

class QWidget;

namespace stillpix {

// The ICC prompt: Yes applies the profile; `remember` is "Do not ask this question next time".
class CICCPromptDialog {
public:
    static IccAnswer Ask(QWidget* parent, const UserMessage& message);
};

// "Processing Summary" with the time text and the hint; true when "Do not show this window
// next time." was checked.
class CProcessSummaryDialog {
public:
    static bool Show(QWidget* parent, const std::string& text);
};

// "Automatic Preview Information"; true when "Do not show this window next time." was checked.
class CPreviewInfoDialog {
public:
    static bool Show(QWidget* parent);
};

}  // namespace stillpix
