// IMAGETHUMBDATA: one item of a right-hand pane's thumbnail list, filled in two steps: what the
// folder listing knows at once, then what the idle loader reads from the file.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "browser/browser_texts.h"

namespace stillpix {

enum class ThumbnailState : int32_t { kNone = 0, kFailed = -1, kLoaded = 1 };

struct IMAGETHUMBDATA {
    ThumbnailState thumbnailState = ThumbnailState::kNone;
    QImage thumbnail;    // 32-bit, at most thumbnail size square, while kLoaded
    std::string folder;  // with its trailing separator
    std::string name;    // with extension; the item's label
    std::string path;
    int32_t width = 0;
    int32_t height = 0;
    std::string make = kUnknown;
    std::string model = kUnknown;
    std::string isoText = kUnknown;
    std::string dateText;
    std::string sizeText;
    std::string statusText;  // batch pane only
    int32_t status = -1;     // batch pane only: -1 unknown, 0 pending, 1 processed, 2 failed
    int32_t isoValue = 0;
    uint64_t fileSize = 0;
    bool infoLoaded = false;
    const void* owner = nullptr;  // the tree node that listed the file
};

// "%d KB" with the size divided by 1,024.
std::string SizeText(uint64_t fileSize);

}  // namespace stillpix
