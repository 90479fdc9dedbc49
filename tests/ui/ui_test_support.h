// Shared by the window tests: a main window on a temporary folder's settings and profile store,
// waiting on the event loop, and a script that answers the modal dialogs the window opens (each
// one is also saved as a screenshot under the build folder).
#pragma once

#include <gtest/gtest.h>

#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "tests/support/qt_application.h"
#include "tests/support/store_test.h"
#include "ui/main_frame.h"

class QWidget;

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << texts.join(" | ").toStdString();
}

namespace stillpix::test {

// Runs the event loop until `done` holds; false after the safety limit of 30 s.
bool WaitFor(const std::function<bool()>& done);
// A large smooth picture, quick to make (many tiles, so that runs take a while).
void WriteLargeScene(const std::filesystem::path& file, int width, int height);

// Answers modal dialogs in order; the progress windows are left alone unless a step is given
// for them. Each step gets the dialog; its window title is recorded.
class DialogScript {
public:
    using Step = std::function<void(QWidget*)>;
    DialogScript();
    void Then(Step step) { steps_.push_back(std::move(step)); }
    void ThenProgress(Step step) { progressStep_ = std::move(step); }
    const QStringList& Titles() const { return titles_; }
    const QStringList& Texts() const { return texts_; }
    bool Done() const { return steps_.empty(); }

private:
    void Poll();
    std::deque<Step> steps_;
    Step progressStep_;
    QStringList titles_;
    QStringList texts_;
    QTimer timer_;
};

// Clicks a message box's button (QMessageBox::StandardButton) or a dialog's OK/Cancel.
DialogScript::Step Press(int standardButton);
DialogScript::Step CheckBoxAndPress(int standardButton);

class FrameTest : public StoreTest {
protected:
    FrameTest();
    ~FrameTest() override;
    std::filesystem::path File(const std::string& name) const { return folder_.Path() / name; }
    // Opens through the open-file operation and waits for the decode; then for the profile run.
    void OpenAndShow(const std::filesystem::path& file);
    void OpenAndProfile(const std::filesystem::path& file);
    QAction* Action(const char* name) const;
    QString StatusPane(int pane) const;

    AppOptions options_;
    PresetTable presets_;
    LearnedProfileStore profiles_{folder_.Path() / "profiles"};
    std::unique_ptr<CMainFrame> frame_;
    CNoiseCleanerDoc* doc_ = nullptr;
};

}  // namespace stillpix::test
