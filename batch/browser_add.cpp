#include "batch/browser_add.h"

#include "batch/batch_texts.h"
#include "batch/text_format.h"

namespace stillpix {

BrowserAddResult AddBrowserFolder(BatchQueue& queue, const std::string& folder,
                                  const std::vector<std::string>& subfolders) {
    BrowserAddResult result;
    if (folder.empty()) return result;
    queue.AddFolderEntry(folder);
    result.count = 1;
    for (const std::string& child : subfolders) {
        if (child.empty()) continue;
        queue.AddFolderEntry(child);
        ++result.count;
    }
    result.notice = result.count == 1 ? FormatText(kFolderAddedNotice, folder.c_str())
                                      : FormatText(kFoldersAddedNotice, result.count);
    return result;
}

BrowserAddResult AddBrowserFiles(BatchQueue& queue, const std::vector<std::string>& files) {
    BrowserAddResult result;
    for (const std::string& file : files) queue.AddBrowserFileEntry(file);
    result.count = int(files.size());
    if (files.size() == 1) result.notice = FormatText(kFileAddedNotice, files.back().c_str());
    else if (files.size() > 1) result.notice = FormatText(kFilesAddedNotice, result.count);
    return result;
}

}  // namespace stillpix
