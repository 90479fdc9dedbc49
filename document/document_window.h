// What the document needs from its windows: message boxes, the ICC prompt, the status bar,
// the EXIF list, the preset selection, the progress dialog, the summary and the clipboard.
// Every call comes from the user-interface thread. Defaults do nothing, so a window without
// one of these parts (or a command line) implements only what it has.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/bitmap_info.h"
#include "document/user_message.h"

namespace stillpix {

class ProgressControl;
class ProgressDialogModel;

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // A device-independent bitmap is on the clipboard (Paste is offered).
    virtual bool HasBitmap() const = 0;
    // The clipboard's bitmap: header and bits (24 or 32 bits per pixel).
    virtual bool GetBitmap(BitmapInfoHeader& header, std::vector<uint8_t>& bits) = 0;
    // Puts a packed bitmap (header, palette for 8 bits, bits) on the clipboard.
    virtual bool SetBitmap(const std::vector<uint8_t>& packed) = 0;
};

class DocumentWindow {
public:
    virtual ~DocumentWindow() = default;

    // A message box with the message's icon and buttons.
    virtual MessageAnswer Show(const UserMessage& message) {
        (void)message;
        return MessageAnswer::kNo;
    }
    // The ICC prompt ("Open"): the text, Yes and No, and "Do not ask this question next time".
    virtual IccAnswer AskIcc(const UserMessage& message) {
        (void)message;
        return {};
    }

    virtual void SetWaitCursor(bool on) { (void)on; }
    // The document's title (the file's name, or "Untitled") changed.
    virtual void TitleChanged(const std::string& title) { (void)title; }
    virtual void SetStatusText(int pane, const std::string& text) {
        (void)pane;
        (void)text;
    }
    // The "EXIF" section of the noise filter pane: one row per label and value.
    virtual void ShowExifRows(const std::vector<std::string>& labels,
                              const std::vector<std::string>& values) {
        (void)labels;
        (void)values;
    }
    virtual void RefreshFilterPane() {}
    // The preset list of the toolbar: what it shows, and selecting a slot (SelectPreset).
    virtual int ShownPreset() const { return 0; }
    virtual void SelectPreset(int slot) { (void)slot; }
    virtual void RedrawView() {}
    // The status bar's progress bar, which preview and profile runs move; none without one.
    virtual ProgressControl* StatusProgress() { return nullptr; }

    // Runs the progress dialog modally over `model`; true when it ended with OK.
    virtual bool RunProgressDialog(ProgressDialogModel& model) = 0;
    // "Processing Summary" with its text and hint; true when "Do not show this window next
    // time." was checked.
    virtual bool ShowSummary(const std::string& text) {
        (void)text;
        return false;
    }

    virtual Clipboard* GetClipboard() { return nullptr; }
};

}  // namespace stillpix
