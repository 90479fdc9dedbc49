// "Add To Batch" from the image browser: a folder (with its direct subfolders when the user says
// so) or the selected files go into the queue, and the notification tells how many.
#pragma once

#include <string>
#include <vector>

#include "batch/batch_queue.h"

namespace stillpix {

struct BrowserAddResult {
    int count = 0;       // folders tried (a folder queued already counts) or files added
    std::string notice;  // the notification's text; empty when nothing was asked to be added
};

// Queues `folder` and then each of `subfolders` (the direct children, empty unless the user
// answered Yes to kAddSubfoldersQuestion).
BrowserAddResult AddBrowserFolder(BatchQueue& queue, const std::string& folder,
                                  const std::vector<std::string>& subfolders);

// Queues each file as a single file, queued again when queued already; the notice names the
// last file when there is one.
BrowserAddResult AddBrowserFiles(BatchQueue& queue, const std::vector<std::string>& files);

}  // namespace stillpix
