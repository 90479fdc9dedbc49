// The runner's view of one queued file, over the document's image class.
#include "batch/batch_image.h"

#include "document/bitmap_ex.h"

namespace stillpix {

struct BatchImage::Impl {
    CBitmapEx bitmap;
    ImageDescriptor noDescriptor;
};

BatchImage::BatchImage() : impl_(std::make_unique<Impl>()) {}
BatchImage::~BatchImage() = default;

bool BatchImage::Load(const std::string& path, bool sixteenBits, std::string& error) {
    LoadOptions options;
    options.keepUnprocessedCopy = true;
    options.keep16 = sixteenBits;
    // Filtering reads the copy's samples; the measurement reads the image's own bitmap.
    options.copyDisplayOf16Bit = false;
    options.iccMode = IccMode::kDoNotApply;  // a batch asks nothing and converts nothing
    if (!impl_->bitmap.Load(path, options, nullptr, &error)) return false;
    if (!impl_->bitmap.Unprocessed()) {
        error = "the image's unprocessed copy could not be made";
        return false;
    }
    return true;
}

int BatchImage::Width() const { return impl_->bitmap.Width(); }
int BatchImage::Height() const { return impl_->bitmap.Height(); }

const ImageDescriptor& BatchImage::Descriptor() const {
    return impl_->bitmap.Valid() ? impl_->bitmap.Formatter().Descriptor() : impl_->noDescriptor;
}

ProfileImageView BatchImage::ProfileView() const {
    const DisplayBitmap& display = impl_->bitmap.Display();
    return {display.bits.data(), display.width, display.height, display.stride, display.bitCount};
}

bool BatchImage::Filter(TileGrid& tiles, NoiseProfile& profile, const NoiseFilterParams& params,
                        void* callerData, TileCallback tileCallback) {
    CBitmapEx& image = impl_->bitmap;
    const CBitmapEx* original = image.Unprocessed();
    if (!image.Valid() || !original) return false;
    DisplayBitmap& display = image.Display();
    const bool sixteen = image.Has16() && original->Has16();
    const int bitsPerPixel = sixteen ? (image.Grey() ? 16 : 48) : display.bitCount;
    return FilterImage(display.width, display.height, display.stride,
                       original->Display().bits.data(), display.bits.data(),
                       sixteen ? original->Samples16().data() : nullptr,
                       sixteen ? image.Samples16().data() : nullptr, bitsPerPixel, tiles, profile,
                       &params, callerData, tileCallback, nullptr);
}

bool BatchImage::Save(const std::string& path, int jpegQuality, bool sixteenBits,
                      TiffCompression tiffCompression, std::string& error) {
    // Nothing filters again: the copy goes before the encoder's buffers come.
    impl_->bitmap.ReleaseUnprocessed();
    return impl_->bitmap.SaveAsLastUse(path, jpegQuality, sixteenBits, tiffCompression, &error);
}

}  // namespace stillpix
