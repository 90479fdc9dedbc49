// The batch queue on real folders: scanning, labels and counts, duplicates, exclusion, the
// list with statuses, and the order a run processes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "batch/batch_queue.h"
#include "tests/support/temp_folder.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;

class Queue : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_.Path() / "photos");
        for (const char* name : {"a.jpg", "B.JPG", "c.gif", ".hidden.jpg", ".png", "d.txt",
                                 "e.tiff", "f.Png", "archive.tar.jpe", "noext"})
            test::WriteText(dir_.Path() / "photos" / name, "x");
        fs::create_directories(dir_.Path() / "photos/sub");
        fs::create_directories(dir_.Path() / "photos/g.jpg");  // a folder with an image name
        test::WriteText(dir_.Path() / "photos/sub/h.jpg", "x");
        fs::create_directories(dir_.Path() / "gifs");
        test::WriteText(dir_.Path() / "gifs/only.gif", "x");
    }
    std::string Photos() const { return dir_ / "photos"; }
    std::string P(const std::string& name) const { return dir_ / ("photos/" + name); }

    test::TempFolder dir_;
    BatchQueue queue_;
};

TEST_F(Queue, ScanTakesImageFilesOfOneLevel) {
    // In name order, whatever order the directory gives.
    EXPECT_EQ(ScanFolder(Photos()),
              (std::vector<std::string>{P("B.JPG"), P("a.jpg"), P("archive.tar.jpe"), P("e.tiff"),
                                        P("f.Png")}));
    EXPECT_TRUE(ScanFolder(dir_ / "gifs").empty());
    EXPECT_TRUE(ScanFolder(dir_ / "missing").empty());
    EXPECT_EQ(DisplayNameOf("/x/photos/"), "photos");
    EXPECT_EQ(DisplayNameOf("/"), "/");
}

TEST_F(Queue, EmptyQueue) {
    EXPECT_EQ(queue_.Label(queue_.Root()), "Batch Queue (no files added)");
    EXPECT_EQ(queue_.StatusLine(), "No files in the queue");
    EXPECT_FALSE(queue_.ExcludeQuestion(queue_.Root()).has_value());
    EXPECT_EQ(queue_.FoldersGroup(), nullptr);
    EXPECT_TRUE(queue_.RunFileList().empty());
}

TEST_F(Queue, FoldersAndFilesWithLabelsAndCounts) {
    // Single files first: "Folders" still goes above them.
    ASSERT_NE(queue_.AddSingleFileEntry(P("c.gif")), nullptr);
    FOLDERDATA* folder = queue_.AddFolderEntry(Photos());
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(queue_.AddFolderEntry(Photos()), nullptr);  // already queued: ignored
    FOLDERDATA* gifs = queue_.AddFolderEntry(dir_ / "gifs");
    ASSERT_NE(gifs, nullptr);
    // Paths compare case-sensitively: two spellings, two entries.
    ASSERT_NE(queue_.AddSingleFileEntry(P("b.jpg")), nullptr);
    ASSERT_NE(queue_.AddSingleFileEntry(P("B.JPG")), nullptr);
    EXPECT_EQ(queue_.AddSingleFileEntry(P("B.JPG")), nullptr);
    ASSERT_NE(queue_.AddBrowserFileEntry(P("B.JPG")), nullptr);  // the browser queues it again

    ASSERT_EQ(queue_.Root().children.size(), 2u);
    EXPECT_EQ(queue_.Root().children[0], queue_.FoldersGroup());
    using Texts = std::vector<std::string>;
    EXPECT_EQ((Texts{queue_.Label(*queue_.FoldersGroup()), queue_.Label(*queue_.SingleFilesGroup()),
                     queue_.Label(*folder), queue_.Label(*gifs), queue_.Label(queue_.Root()),
                     queue_.StatusLine(), queue_.Tooltip(*queue_.FoldersGroup()),
                     queue_.Tooltip(*folder), queue_.Tooltip(queue_.Root())}),
              (Texts{"Folders (5)", "Single Files (4)", "photos (5)", "gifs (0)", "Batch Queue (9)",
                     "9 files in the queue", "5 files in 2 folders", Photos() + "\r\n5 files",
                     "9 files"}));
    EXPECT_EQ(queue_.Root().folderCount, 2);
    EXPECT_EQ(queue_.SingleFilePaths(),
              (std::vector<std::string>{P("c.gif"), P("b.jpg"), P("B.JPG")}));

    // Creation order: the gif single file, then the folder's files, then the rest.
    const std::vector<std::string> run = queue_.RunFileList();
    ASSERT_EQ(run.size(), 9u);
    EXPECT_EQ(run.front(), P("c.gif"));
    EXPECT_EQ(std::vector<std::string>(run.begin() + 1, run.begin() + 6), folder->fileList);
    EXPECT_EQ(std::vector<std::string>(run.begin() + 6, run.end()),
              (std::vector<std::string>{P("b.jpg"), P("B.JPG"), P("B.JPG")}));

    // The list leaves out files that vanished (b.jpg never existed); they stay queued.
    EXPECT_EQ(queue_.ListFiles(*queue_.SingleFilesGroup()).size(), 3u);
    EXPECT_EQ(queue_.ListFiles(queue_.Root()).size(), 8u);
}

TEST_F(Queue, OnePathHoweverItIsSpelt) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir_.Path());
    ASSERT_NE(queue_.AddFolderEntry("photos"), nullptr);
    for (const std::string& spelling :
         {std::string("photos/"), std::string("./photos"), Photos() + "//", dir_ / "photos/sub/.."})
        EXPECT_EQ(queue_.AddFolderEntry(spelling), nullptr) << spelling;
    ASSERT_NE(queue_.AddSingleFileEntry("photos/./a.jpg"), nullptr);
    EXPECT_EQ(queue_.AddSingleFileEntry(P("a.jpg")), nullptr);
    EXPECT_EQ(queue_.AddBrowserFileEntry("./photos/a.jpg")->path, P("a.jpg"));
    fs::current_path(previous);
    EXPECT_EQ(queue_.FolderPaths(), std::vector<std::string>{Photos()});
    EXPECT_EQ(queue_.SingleFilePaths(), std::vector<std::string>{P("a.jpg")});
    EXPECT_EQ(queue_.RunFileList().front(), P("B.JPG"));
}

TEST_F(Queue, ExcludeFromTheTree) {
    FOLDERDATA* folder = queue_.AddFolderEntry(Photos());
    FOLDERDATA* file = queue_.AddSingleFileEntry(P("c.gif"));
    queue_.AddFolderEntry(dir_ / "gifs");
    const std::pair<FOLDERDATA*, std::string> questions[] = {
        {file, "file '" + P("c.gif") + "'"},
        {folder, "folder '" + Photos() + "'"},
        {queue_.FoldersGroup(), "all folders"},
        {queue_.SingleFilesGroup(), "all single files"},
        {&queue_.Root(), "all files"}};
    for (const auto& [entry, what] : questions)
        EXPECT_EQ(queue_.ExcludeQuestion(*entry),
                  "Do you want to exclude " + what + " from the batch?");

    queue_.Exclude(*folder);
    EXPECT_EQ(queue_.Label(*queue_.FoldersGroup()), "Folders (0)");
    EXPECT_EQ(queue_.FolderPaths(), std::vector<std::string>{dir_ / "gifs"});
    EXPECT_NE(queue_.AddFolderEntry(Photos()), nullptr);  // may be queued again
    queue_.Exclude(*queue_.SingleFilesGroup());
    EXPECT_EQ(queue_.SingleFilesGroup(), nullptr);
    EXPECT_TRUE(queue_.SingleFilePaths().empty());
    EXPECT_EQ(queue_.Label(queue_.Root()), "Batch Queue (5)");
    queue_.Exclude(*queue_.FoldersGroup());
    EXPECT_EQ(queue_.Records().size(), 1u);
    // No files but no folders either: the empty label again.
    EXPECT_EQ(queue_.Label(queue_.Root()), "Batch Queue (no files added)");

    queue_.AddFolderEntry(dir_ / "gifs");
    EXPECT_EQ(queue_.Label(queue_.Root()), "Batch Queue (0)");
    EXPECT_FALSE(queue_.ExcludeQuestion(queue_.Root()).has_value());  // fileCount 0: nothing asked
    queue_.AddSingleFileEntry(P("a.jpg"));
    queue_.Exclude(queue_.Root());
    EXPECT_EQ(queue_.Records().size(), 1u);
    EXPECT_TRUE(queue_.FolderPaths().empty());
    EXPECT_EQ(queue_.StatusLine(), "No files in the queue");
}

TEST_F(Queue, ExcludeFromTheList) {
    FOLDERDATA* folder = queue_.AddFolderEntry(Photos());
    queue_.AddSingleFileEntry(P("c.gif"));
    auto listed = queue_.ListFiles(queue_.Root());
    ASSERT_EQ(listed.size(), 6u);
    std::vector<BatchQueue::ListedFile> selected = {listed[0], listed[5]};  // folder's, single
    EXPECT_EQ(BatchQueue::ExcludeListQuestion(selected),
              "Do you want to exclude 2 files from batch?");
    EXPECT_EQ(BatchQueue::ExcludeListQuestion({listed[5]}),
              "Do you want to exclude file '" + P("c.gif") + "' from batch?");
    queue_.ExcludeListed(selected);
    EXPECT_EQ((std::vector{queue_.Label(*folder), queue_.Label(*queue_.FoldersGroup()),
                           queue_.Label(*queue_.SingleFilesGroup())}),
              (std::vector<std::string>{"photos (4)", "Folders (4)", "Single Files (0)"}));
    EXPECT_TRUE(queue_.SingleFilePaths().empty());
    EXPECT_EQ(queue_.QueuedImageCount(), 4);
    queue_.ExcludeListed(selected);  // stale selection: nothing happens
    EXPECT_EQ(queue_.QueuedImageCount(), 4);
}

TEST(QueueStatus, ProcessedIsSearchedFirst) {
    const std::vector<std::string> processed = {"/a", "/b"}, failed = {"/b", "/c"};
    EXPECT_EQ(StatusOf("/b", processed, failed), FileStatus::kProcessed);
    EXPECT_EQ(StatusOf("/c", processed, failed), FileStatus::kFailed);
    EXPECT_EQ(StatusOf("/A", processed, failed), FileStatus::kPending);
    // The status texts: batch_window_run_test.cpp.
    EXPECT_EQ(RunQuestionText(12),
              "You are about to start processing 12 images.\r\nDo you want to continue?");
}

}  // namespace
}  // namespace stillpix
