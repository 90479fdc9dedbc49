// The document's clipboard on the system clipboard: images in, packed bitmaps out.
#pragma once

#include "document/document_window.h"

namespace stillpix {

class QtClipboard final : public Clipboard {
public:
    bool HasBitmap() const override;
    bool GetBitmap(BitmapInfoHeader& header, std::vector<uint8_t>& bits) override;
    bool SetBitmap(const std::vector<uint8_t>& packed) override;
};

}  // namespace stillpix
