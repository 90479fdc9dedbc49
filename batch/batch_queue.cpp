#include "batch/batch_queue.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "batch/batch_texts.h"
#include "batch/text_format.h"
#include "platform/absolute_path.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxTooltipChars = 1024;

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool IsQueuedExtension(const std::string& lowerExtension) {
    static const char* const kExtensions[] = {"jpg", "jpeg", "jpe", "tif", "tiff", "bmp", "png"};
    return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                       [&](const char* e) { return lowerExtension == e; });
}

bool TakenFromFolder(const fs::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    // Linux marks hidden files by a leading dot; it has no system or temporary attribute.
    if (name.empty() || name.front() == '.') return false;
    std::error_code ec;
    if (!entry.is_regular_file(ec)) return false;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;  // no extension, or no title
    return IsQueuedExtension(LowerAscii(name.substr(dot + 1)));
}

void EraseFirst(std::vector<std::string>& list, const std::string& value) {
    const auto it = std::find(list.begin(), list.end(), value);
    if (it != list.end()) list.erase(it);
}

}  // namespace

std::vector<std::string> ScanFolder(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec))
        if (TakenFromFolder(*it)) files.push_back(it->path().string());
    // Directory order is arbitrary here; a queue in name order is what the user can follow.
    std::sort(files.begin(), files.end());
    return files;
}

std::string DisplayNameOf(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const std::size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos || trimmed.size() == 1) return trimmed;
    return trimmed.substr(slash + 1);
}

BatchQueue::BatchQueue() { Reset(); }

void BatchQueue::Reset() {
    records_.clear();
    auto root = std::make_unique<FOLDERDATA>();
    root->kind = QueueNodeKind::kRoot;
    root->isFolder = true;
    root->displayName = kQueueRootLabel;
    records_.push_back(std::move(root));
}

FOLDERDATA* BatchQueue::FoldersGroup() const {
    for (FOLDERDATA* child : Root().children)
        if (child->kind == QueueNodeKind::kFoldersGroup) return child;
    return nullptr;
}

FOLDERDATA* BatchQueue::SingleFilesGroup() const {
    for (FOLDERDATA* child : Root().children)
        if (child->kind == QueueNodeKind::kSingleFilesGroup) return child;
    return nullptr;
}

FOLDERDATA* BatchQueue::Find(const FOLDERDATA& node) const {
    for (const auto& record : records_)
        if (record.get() == &node) return record.get();
    return nullptr;
}

FOLDERDATA& BatchQueue::NewNode(QueueNodeKind kind, FOLDERDATA& parent, bool asFirstChild) {
    auto node = std::make_unique<FOLDERDATA>();
    node->kind = kind;
    node->parent = &parent;
    node->isFolder = kind == QueueNodeKind::kFoldersGroup || kind == QueueNodeKind::kFolder;
    FOLDERDATA& made = *node;
    records_.push_back(std::move(node));
    if (asFirstChild) parent.children.insert(parent.children.begin(), &made);
    else parent.children.push_back(&made);
    return made;
}

FOLDERDATA& BatchQueue::EnsureGroup(QueueNodeKind kind) {
    FOLDERDATA* group = kind == QueueNodeKind::kFoldersGroup ? FoldersGroup() : SingleFilesGroup();
    if (group) return *group;
    // "Folders" always stands above "Single Files".
    FOLDERDATA& made = NewNode(kind, Root(), kind == QueueNodeKind::kFoldersGroup);
    made.displayName =
        kind == QueueNodeKind::kFoldersGroup ? kFoldersGroupName : kSingleFilesGroupName;
    return made;
}

FOLDERDATA* BatchQueue::AddFolderEntry(const std::string& given) {
    const std::string folder = AbsoluteNormalPath(given).string();
    if (std::find(folderPaths_.begin(), folderPaths_.end(), folder) != folderPaths_.end())
        return nullptr;
    folderPaths_.push_back(folder);
    FOLDERDATA& group = EnsureGroup(QueueNodeKind::kFoldersGroup);
    FOLDERDATA& entry = NewNode(QueueNodeKind::kFolder, group, false);
    entry.path = folder;
    entry.displayName = DisplayNameOf(folder);
    entry.fileList = ScanFolder(folder);
    group.expanded = true;
    Recount();
    return &entry;
}

FOLDERDATA& BatchQueue::AddFileNode(const std::string& file) {
    FOLDERDATA& group = EnsureGroup(QueueNodeKind::kSingleFilesGroup);
    FOLDERDATA& entry = NewNode(QueueNodeKind::kSingleFile, group, false);
    entry.path = file;
    entry.displayName = DisplayNameOf(file);
    entry.fileList = {file};
    group.expanded = true;
    Root().expanded = true;
    Recount();
    return entry;
}

FOLDERDATA* BatchQueue::AddSingleFileEntry(const std::string& given) {
    const std::string file = AbsoluteNormalPath(given).string();
    if (std::find(singleFilePaths_.begin(), singleFilePaths_.end(), file) != singleFilePaths_.end())
        return nullptr;
    singleFilePaths_.push_back(file);
    return &AddFileNode(file);
}

FOLDERDATA* BatchQueue::AddBrowserFileEntry(const std::string& file) {
    return &AddFileNode(AbsoluteNormalPath(file).string());
}

void BatchQueue::DeleteNode(FOLDERDATA& node) {
    // Children first, so no record outlives its parent.
    while (!node.children.empty()) DeleteNode(*node.children.back());
    if (node.parent) {
        auto& siblings = node.parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), &node), siblings.end());
    }
    records_.erase(
        std::remove_if(records_.begin(), records_.end(),
                       [&](const std::unique_ptr<FOLDERDATA>& r) { return r.get() == &node; }),
        records_.end());
}

void BatchQueue::Recount() {
    FOLDERDATA& root = Root();
    root.fileCount = root.folderCount = 0;
    for (FOLDERDATA* group : root.children) {
        group->fileCount = 0;
        group->folderCount = 0;
        for (const FOLDERDATA* entry : group->children) {
            if (group->kind == QueueNodeKind::kFoldersGroup) {
                group->fileCount += static_cast<int32_t>(entry->fileList.size());
                ++group->folderCount;
            } else {
                ++group->fileCount;
            }
        }
        root.fileCount += group->fileCount;
        root.folderCount += group->folderCount;
    }
}

std::optional<std::string> BatchQueue::ExcludeQuestion(const FOLDERDATA& node) const {
    if (!Find(node)) return std::nullopt;
    switch (node.kind) {
        case QueueNodeKind::kRoot:
            if (node.fileCount == 0) return std::nullopt;
            return std::string(kExcludeAllQuestion);
        case QueueNodeKind::kFoldersGroup: return std::string(kExcludeFoldersQuestion);
        case QueueNodeKind::kSingleFilesGroup: return std::string(kExcludeSingleFilesQuestion);
        case QueueNodeKind::kSingleFile: return FormatText(kExcludeFileQuestion, node.path.c_str());
        case QueueNodeKind::kFolder: return FormatText(kExcludeFolderQuestion, node.path.c_str());
    }
    return std::nullopt;
}

void BatchQueue::Exclude(FOLDERDATA& target) {
    FOLDERDATA* node = Find(target);
    if (!node) return;
    switch (node->kind) {
        case QueueNodeKind::kRoot:
            if (node->fileCount == 0) return;
            folderPaths_.clear();
            singleFilePaths_.clear();
            Reset();
            break;
        case QueueNodeKind::kFoldersGroup:
            folderPaths_.clear();
            DeleteNode(*node);
            break;
        case QueueNodeKind::kSingleFilesGroup:
            singleFilePaths_.clear();
            DeleteNode(*node);
            break;
        case QueueNodeKind::kSingleFile:
            EraseFirst(singleFilePaths_, node->path);
            DeleteNode(*node);
            break;
        case QueueNodeKind::kFolder:
            EraseFirst(folderPaths_, node->path);
            DeleteNode(*node);
            break;
    }
    Root().expanded = true;
    Recount();
}

std::vector<BatchQueue::ListedFile> BatchQueue::ListFiles(const FOLDERDATA& selected) const {
    std::vector<const FOLDERDATA*> shown;
    const FOLDERDATA* node = Find(selected);
    if (!node) return {};
    if (node->kind == QueueNodeKind::kRoot) {
        for (const FOLDERDATA* group : node->children)
            for (const FOLDERDATA* entry : group->children) shown.push_back(entry);
    } else if (node->kind == QueueNodeKind::kFoldersGroup ||
               node->kind == QueueNodeKind::kSingleFilesGroup) {
        shown.assign(node->children.begin(), node->children.end());
    } else {
        shown.push_back(node);
    }
    std::vector<ListedFile> files;
    for (const FOLDERDATA* entry : shown)
        for (const std::string& path : entry->fileList) {
            std::error_code ec;
            if (fs::exists(path, ec)) files.push_back({entry, path});
        }
    return files;
}

std::string BatchQueue::ExcludeListQuestion(const std::vector<ListedFile>& selected) {
    if (selected.size() == 1)
        return FormatText(kExcludeListFileQuestion, selected.front().path.c_str());
    return FormatText(kExcludeListFilesQuestion, static_cast<int>(selected.size()));
}

void BatchQueue::ExcludeListed(const std::vector<ListedFile>& selected) {
    for (const ListedFile& item : selected) {
        FOLDERDATA* owner = item.owner ? Find(*item.owner) : nullptr;
        if (!owner ||
            (owner->kind != QueueNodeKind::kFolder && owner->kind != QueueNodeKind::kSingleFile))
            continue;
        EraseFirst(owner->fileList, item.path);
        if (owner->kind == QueueNodeKind::kSingleFile) {
            EraseFirst(singleFilePaths_, item.path);
            DeleteNode(*owner);
        }
    }
    Recount();
}

std::string BatchQueue::Label(const FOLDERDATA& node) const {
    switch (node.kind) {
        case QueueNodeKind::kRoot:
            if (node.fileCount == 0 && node.folderCount == 0)
                return std::string(kQueueRootLabel) + kQueueRootEmptyTail;
            return std::string(kQueueRootLabel) + FormatText(" (%d)", node.fileCount);
        case QueueNodeKind::kFoldersGroup:
        case QueueNodeKind::kSingleFilesGroup:
            return FormatText("%s (%d)", node.displayName.c_str(), node.fileCount);
        case QueueNodeKind::kFolder:
            return FormatText("%s (%d)", node.displayName.c_str(),
                              static_cast<int>(node.fileList.size()));
        case QueueNodeKind::kSingleFile: return node.displayName;
    }
    return {};
}

std::string BatchQueue::Tooltip(const FOLDERDATA& node) const {
    std::string text;
    switch (node.kind) {
        case QueueNodeKind::kFoldersGroup:
            text = FormatText("%d files in %d folders", node.fileCount, node.folderCount);
            break;
        case QueueNodeKind::kRoot:
        case QueueNodeKind::kSingleFilesGroup: text = FormatText("%d files", node.fileCount); break;
        case QueueNodeKind::kFolder:
            text =
                node.path + "\r\n" + FormatText("%d files", static_cast<int>(node.fileList.size()));
            break;
        case QueueNodeKind::kSingleFile: text = node.path; break;
    }
    if (text.size() > kMaxTooltipChars) text.resize(kMaxTooltipChars);
    return text;
}

std::string BatchQueue::StatusLine() const {
    const int32_t count = QueuedImageCount();
    return count == 0 ? std::string(kQueueStatusEmpty) : FormatText(kQueueStatusFiles, count);
}

std::vector<std::string> BatchQueue::RunFileList() const {
    std::vector<std::string> files;
    for (const auto& record : records_)
        files.insert(files.end(), record->fileList.begin(), record->fileList.end());
    return files;
}

FileStatus StatusOf(const std::string& path, const std::vector<std::string>& processed,
                    const std::vector<std::string>& failed) {
    if (std::find(processed.begin(), processed.end(), path) != processed.end())
        return FileStatus::kProcessed;
    if (std::find(failed.begin(), failed.end(), path) != failed.end()) return FileStatus::kFailed;
    return FileStatus::kPending;
}

const char* FileStatusText(FileStatus status) {
    switch (status) {
        case FileStatus::kProcessed: return kStatusProcessed;
        case FileStatus::kFailed: return kStatusFailed;
        case FileStatus::kPending: break;
    }
    return kStatusPending;
}

std::string RunQuestionText(int32_t count) { return FormatText(kRunQuestion, count); }

}  // namespace stillpix
