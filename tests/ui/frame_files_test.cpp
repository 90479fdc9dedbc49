// The main window's file binding: opening through the open-file operation, its messages, Save As
// with its type list, a drop during a run, the clipboard, the close that waits for the worker,
// and the application's start-up with a path on the command line.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

#include "tests/document/document_fixture.h"
#include "tests/support/icc_profiles.h"
#include "tests/support/qt_application.h"
#include "ui/noise_cleaner_app.h"
#include "ui_test_support.h"

namespace stillpix::test {
namespace {

TEST_F(FrameTest, OpenFileNamesTheWindowAndReportsWhatFailed) {
    WriteScene(File("a.png"), 320, 240);
    OpenAndProfile(File("a.png"));
    EXPECT_EQ(frame_->windowTitle(), "a.png - Stillpix Professional Edition");
    WriteFileBytes(File("broken.jpg"), {0xFF, 0xD8, 0xFF});
    DialogScript script;
    script.Then(Press(QMessageBox::Ok));
    script.Then(Press(QMessageBox::Ok));
    EXPECT_EQ(frame_->OpenFile(File("broken.jpg")), OpenResult::kDecoding);
    ASSERT_TRUE(WaitFor([&] { return !doc_->Opening(); }));
    EXPECT_EQ(frame_->windowTitle(), "Untitled - Stillpix Professional Edition");
    EXPECT_EQ(frame_->OpenFile(File("missing.png")), OpenResult::kFailed);
    EXPECT_EQ(script.Texts(),
              (QStringList{"Cannot open file " + QString::fromStdString(File("broken.jpg")) +
                               ". \nUnsupported format or file not found.",
                           "Failed to open document."}));
    const QStringList closed = {"For Help, press F1", "Size:"};
    EXPECT_EQ((QStringList{StatusPane(0), StatusPane(1)}), closed);
    OpenAndProfile(File("a.png"));
    EXPECT_EQ(StatusPane(1), "Size: 320x240");
    Action("closeFile")->trigger();
    EXPECT_EQ((QStringList{StatusPane(0), StatusPane(1)}), closed);
}

TEST_F(FrameTest, TheIccPromptsAnswerAndCheckBoxReachTheDocument) {
    WriteTaggedPng(File("tagged.png"), WideRgbProfile("Wide Test RGB"));
    options_.settings2.iccHandling = 0;
    DialogScript script;
    script.Then(Press(QMessageBox::Yes));
    OpenAndShow(File("tagged.png"));
    EXPECT_TRUE(doc_->Image()->IccConverted());
    script.Then(CheckBoxAndPress(QMessageBox::No));
    OpenAndShow(File("tagged.png"));
    EXPECT_FALSE(doc_->Image()->IccConverted());
    EXPECT_EQ(script.Titles(), (QStringList{"Open", "Open"}));
    EXPECT_EQ(script.Texts().first(),
              "An embedded ICC profile 'Wide Test RGB' has been detected. "
              "Do you want to apply the ICC profile?");
    EXPECT_EQ(LoadSettings(store_, folder_.Path()).settings2.iccHandling, 2);  // "Do not apply"
    OpenAndShow(File("tagged.png"));                                           // no longer asked
    EXPECT_EQ(script.Titles().size(), 2);
    EXPECT_FALSE(doc_->Image()->IccConverted());
}

TEST_F(FrameTest, SaveAsProposesTheFilteredNameRewritesTheTypeAndWritesIt) {
    WriteScene(File("photo.png"), 640, 480, "-attenuate 0.5 +noise Gaussian");
    OpenAndProfile(File("photo.png"));
    DialogScript script;
    script.Then(Press(QMessageBox::Ok));  // the summary
    Action("go")->trigger();
    QStringList names;
    script.Then([&](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        names << name->text();
        for (int type : {1, 2, 0}) {
            types->setCurrentIndex(type);
            Q_EMIT types->activated(type);
            names << name->text();
        }
        types->setCurrentIndex(1);
        name->setText(QString::fromStdString(File("out.tif")));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    Action("saveAs")->trigger();
    EXPECT_EQ(names, (QStringList{"photo_filtered.jpg", "photo_filtered.tif", "photo_filtered.png",
                                  "photo_filtered.jpg"}));
    EXPECT_EQ(Identify(File("out.tif"), "%m"), "TIFF");
    EXPECT_LT(Rmse(File("out.tif"), File("photo.png")), 1.0);
    EXPECT_TRUE(doc_->Job().saved.load());
}

TEST_F(FrameTest, APathDroppedDuringARunOpensOnceTheRunHasStopped) {
    WriteLargeScene(File("big.png"), 3000, 2400);
    WriteScene(File("next.png"), 200, 100);
    OpenAndShow(File("big.png"));
    ASSERT_TRUE(doc_->WorkerRunning());  // its profile run
    frame_->setAcceptDrops(true);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(File("next.png")))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame_.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame_.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_TRUE(WaitFor([&] { return frame_->windowTitle().startsWith("next.png"); }));
    EXPECT_EQ(doc_->Image()->Width(), 200);
}

TEST_F(FrameTest, PasteTakesTheClipboardImageAndCopyGivesTheResultBack) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(qRgb(10, 120, 200));
    QGuiApplication::clipboard()->setImage(image);
    frame_->RequestIdlePass();
    ASSERT_TRUE(WaitFor([&] { return Action("paste")->isEnabled(); }));
    Action("paste")->trigger();
    ASSERT_TRUE(doc_->HasImage());
    EXPECT_EQ(frame_->windowTitle(), "Untitled - Stillpix Professional Edition");
    ASSERT_TRUE(WaitFor([&] { return doc_->Job().profileBuilt.load() && !doc_->WorkerRunning(); }));
    DialogScript script;
    script.Then(Press(QMessageBox::Ok));
    Action("go")->trigger();
    QGuiApplication::clipboard()->clear();
    Action("copy")->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), image.size());
    const QColor centre = copied.pixelColor(32, 24);  // a flat image stays flat
    EXPECT_NEAR(centre.blue(), 200, 2);
    EXPECT_NEAR(centre.red(), 10, 2);
}

TEST_F(FrameTest, TheWindowHidesAtOnceAndEndsOnlyAfterTheWorkerStopped) {
    WriteLargeScene(File("big.png"), 3000, 2400);
    OpenAndShow(File("big.png"));
    ASSERT_TRUE(doc_->WorkerRunning());
    bool workerRanAtTheEnd = true;
    bool finished = false;
    QObject::connect(frame_.get(), &CMainFrame::finished, [&] {
        workerRanAtTheEnd = doc_->WorkerRunning();
        finished = true;
    });
    frame_->close();
    EXPECT_TRUE(frame_->isHidden());
    ASSERT_TRUE(WaitFor([&] { return finished; }));
    EXPECT_FALSE(workerRanAtTheEnd);
}

TEST(AppStart, ACommandLinePathOpensOnTheFirstIdlePass) {
    QtApplication();
    TempFolder folder;
    WriteScene(folder.Path() / "start.png", 120, 80);
    CNoiseCleanerApp app(folder.Path() / "settings.conf", folder.Path() / "profiles");
    CMainFrame& frame = app.Start({QString::fromStdString(folder / "start.png")});
    EXPECT_TRUE(frame.isVisible() && frame.acceptDrops());
    EXPECT_FALSE(frame.Document().HasImage());  // not yet: it waits for the idle pass
    ASSERT_TRUE(WaitFor([&] { return frame.Document().HasImage(); }));
    EXPECT_EQ(frame.Document().SourcePath(), folder / "start.png");
}

}  // namespace
}  // namespace stillpix::test
