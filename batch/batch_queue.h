// The batch queue: a three-level tree of folders and single files kept in memory only, the
// path lists that refuse duplicates, the counts and texts the pane shows, and the file list a
// run processes. Paths compare byte-wise and case-sensitively.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace stillpix {

enum class QueueNodeKind { kRoot, kFoldersGroup, kSingleFilesGroup, kFolder, kSingleFile };

// One node of the queue's tree. The pane keeps its own tree item in `treeItem`; the queue
// never reads it.
struct FOLDERDATA {
    std::string path;                   // folder or file; empty for the root and the groups
    std::vector<std::string> fileList;  // the image files this node gives a run
    bool isFolder = false;
    int32_t fileCount = 0;    // root and groups: files below the node
    int32_t folderCount = 0;  // root and the folders group: folder entries below
    std::string displayName;
    const void* treeItem = nullptr;
    bool expanded = false;

    QueueNodeKind kind = QueueNodeKind::kRoot;
    FOLDERDATA* parent = nullptr;
    std::vector<FOLDERDATA*> children;  // in tree order
};

// The image files of one folder, one level deep, in the order the file system lists them:
// regular files (or links to them) that are not hidden, have a non-empty title and one of the
// extensions jpg, jpeg, jpe, tif, tiff, bmp, png in any letter case. An unreadable folder gives
// no files.
std::vector<std::string> ScanFolder(const std::string& folder);

// The name a node shows for a path: its last component ("/" for the root folder).
std::string DisplayNameOf(const std::string& path);

class BatchQueue {
public:
    BatchQueue();
    BatchQueue(const BatchQueue&) = delete;
    BatchQueue& operator=(const BatchQueue&) = delete;

    FOLDERDATA& Root() { return *records_.front(); }
    const FOLDERDATA& Root() const { return *records_.front(); }
    // Null while the group does not exist.
    FOLDERDATA* FoldersGroup() const;
    FOLDERDATA* SingleFilesGroup() const;
    // Every node in creation order, the root first.
    const std::vector<std::unique_ptr<FOLDERDATA>>& Records() const { return records_; }

    // Paths are made absolute and normal as they enter ("dir", "dir/" and "./dir" are one
    // folder); the queue, its lists and a run's file list hold only such paths.
    //
    // Queues a folder with its scanned files under "Folders"; null when that path is queued
    // already.
    FOLDERDATA* AddFolderEntry(const std::string& folder);
    // Queues a file under "Single Files"; null when that path is a queued single file.
    FOLDERDATA* AddSingleFileEntry(const std::string& file);
    // The image browser's way: queued again when queued already; the single-file path list is
    // neither consulted nor extended.
    FOLDERDATA* AddBrowserFileEntry(const std::string& file);

    // The question excluding `node` asks, or nothing when there is nothing to exclude (the root
    // of an empty queue, or a node not in this queue).
    std::optional<std::string> ExcludeQuestion(const FOLDERDATA& node) const;
    // Excludes the node (after a Yes): the root empties the queue, a group goes with its
    // entries, an entry goes alone. Nodes not in this queue are ignored.
    void Exclude(FOLDERDATA& node);

    struct ListedFile {
        const FOLDERDATA* owner = nullptr;
        std::string path;
    };
    // The files shown for the selected node (all entries for the root, a group's entries, or the
    // entry's own files) that still exist on disk, in order.
    std::vector<ListedFile> ListFiles(const FOLDERDATA& node) const;
    static std::string ExcludeListQuestion(const std::vector<ListedFile>& selected);
    // Removes the selected files from their entries; a single-file entry goes with its file.
    void ExcludeListed(const std::vector<ListedFile>& selected);

    std::string Label(const FOLDERDATA& node) const;
    std::string Tooltip(const FOLDERDATA& node) const;  // at most 1,024 characters
    std::string StatusLine() const;
    int32_t QueuedImageCount() const { return Root().fileCount; }

    const std::vector<std::string>& FolderPaths() const { return folderPaths_; }
    const std::vector<std::string>& SingleFilePaths() const { return singleFilePaths_; }
    const std::string& LastFolder() const { return lastFolder_; }
    void SetLastFolder(std::string folder) { lastFolder_ = std::move(folder); }

    // Every node's files in creation order: the processing order of a run. A path queued twice
    // is processed twice.
    std::vector<std::string> RunFileList() const;

private:
    FOLDERDATA* Find(const FOLDERDATA& node) const;
    FOLDERDATA& NewNode(QueueNodeKind kind, FOLDERDATA& parent, bool asFirstChild);
    FOLDERDATA& EnsureGroup(QueueNodeKind kind);
    FOLDERDATA& AddFileNode(const std::string& file);
    void DeleteNode(FOLDERDATA& node);
    void Reset();
    void Recount();

    std::vector<std::unique_ptr<FOLDERDATA>> records_;
    std::vector<std::string> folderPaths_;
    std::vector<std::string> singleFilePaths_;
    std::string lastFolder_;
};

enum class FileStatus : int32_t { kPending = 0, kProcessed = 1, kFailed = 2 };

// A listed file's status after the last run: processed first, then failed, else pending.
FileStatus StatusOf(const std::string& path, const std::vector<std::string>& processed,
                    const std::vector<std::string>& failed);
const char* FileStatusText(FileStatus status);

// "You are about to start processing %d images..." with the queued image count.
std::string RunQuestionText(int32_t count);

}  // namespace stillpix
