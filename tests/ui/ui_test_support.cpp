#include "ui_test_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>

#include "tests/document/document_fixture.h"
#include "ui/batch_progress_dialog.h"
#include "ui/progress_dialog.h"

namespace stillpix::test {

bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 3000; ++i) {
        if (done()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return done();
}

void WriteLargeScene(const std::filesystem::path& file, int width, int height) {
    Convert("-size " + std::to_string(width) + "x" + std::to_string(height) +
            " gradient:wheat-steelblue " + ShellQuoted(file.string()));
}

DialogScript::DialogScript() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(20);
}

void DialogScript::Poll() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || dialog->property("answered").toBool() || !dialog->isVisible()) return;
    const bool progress = qobject_cast<CProgressDialog*>(dialog) != nullptr ||
                          qobject_cast<CBatchProgressDialog*>(dialog) != nullptr;
    if (progress && !progressStep_) return;
    if (!progress && steps_.empty()) return;
    dialog->setProperty("answered", true);
    titles_ << dialog->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) texts_ << box->text();
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (!qobject_cast<QMessageBox*>(dialog)) texts_ << label->text();
    SaveScreenshotOf(dialog, QString(dialog->windowTitle()).replace(' ', '_').toStdString());
    Step step = progress ? std::exchange(progressStep_, nullptr) : steps_.front();
    if (!progress) steps_.pop_front();
    step(dialog);
}

DialogScript::Step Press(int standardButton) {
    return [standardButton](QWidget* dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(dialog))
            box->button(QMessageBox::StandardButton(standardButton))->click();
        else if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
            buttons->button(QDialogButtonBox::StandardButton(standardButton))->click();
    };
}

DialogScript::Step CheckBoxAndPress(int standardButton) {
    return [standardButton](QWidget* dialog) {
        dialog->findChild<QCheckBox*>()->setChecked(true);
        Press(standardButton)(dialog);
    };
}

FrameTest::FrameTest() {
    QtApplication();
    BuildPresetTable(store_, presets_);
    options_ = LoadSettings(store_, folder_.Path() / "profiles");
    frame_ = std::make_unique<CMainFrame>(FrameContext{&options_, &store_, &presets_, &profiles_});
    frame_->resize(900, 700);
    frame_->show();
    doc_ = &frame_->Document();
}

FrameTest::~FrameTest() {
    // Anything left over (a prompt of the window's own close) is answered No.
    DialogScript script;
    for (int i = 0; i < 4; ++i) script.Then(Press(QMessageBox::No));
    frame_.reset();
}

void FrameTest::OpenAndShow(const std::filesystem::path& file) {
    ASSERT_EQ(frame_->OpenFile(file), OpenResult::kDecoding);
    ASSERT_TRUE(WaitFor([this] { return !doc_->Opening(); }));
    ASSERT_TRUE(doc_->HasImage());
}

void FrameTest::OpenAndProfile(const std::filesystem::path& file) {
    OpenAndShow(file);
    ASSERT_TRUE(
        WaitFor([this] { return doc_->Job().profileBuilt.load() && !doc_->WorkerRunning(); }));
}

QAction* FrameTest::Action(const char* name) const { return frame_->findChild<QAction*>(name); }

QString FrameTest::StatusPane(int pane) const {
    const QList<QLabel*> labels = frame_->statusBar()->findChildren<QLabel*>();
    return pane < labels.size() ? labels[pane]->text() : QString();
}

}  // namespace stillpix::test
