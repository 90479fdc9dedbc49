// GIF files through giflib: the first frame on its logical screen, transparent pixels white.
// Read record by record rather than slurped, so a frame's size is checked before its buffer.
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "codec/formats.h"
#include "platform/regular_file.h"

namespace stillpix::codec {
namespace {

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

// An LZW code of at most 12 bits stands for at most 4096 pixels.
constexpr int64_t kMaxLzwPixelsPerByte = 4096 * 8 / 12 + 1;

std::string GifError(int code) {
    const char* text = GifErrorString(code);
    return text != nullptr ? text : "unknown error";
}

// Reads extensions up to the first image; its transparent index, or -1, lands in `transparent`.
bool FindFirstImage(GifFileType* gif, int& transparent, std::string& error) {
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
            error = GifError(gif->Error);
            return false;
        }
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR) {
                error = GifError(gif->Error);
                return false;
            }
            return true;
        }
        if (type == TERMINATE_RECORD_TYPE) {
            error = "the GIF file holds no image";
            return false;
        }
        if (type != EXTENSION_RECORD_TYPE) continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
            error = GifError(gif->Error);
            return false;
        }
        if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
            GraphicsControlBlock control{};
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
        }
        while (block != nullptr)
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
                error = GifError(gif->Error);
                return false;
            }
    }
}

}  // namespace

bool ReadGif(const std::filesystem::path& path, const ReadOptions& options, DecodedImage& image,
             std::string& error) {
    const int fd = OpenRegularFile(path, error);
    if (fd < 0) return false;
    int openError = 0;
    // The handle owns the descriptor from here, also when opening fails.
    GifPtr gif(DGifOpenFileHandle(fd, &openError));
    if (gif == nullptr) {
        error = "not a readable GIF file: " + GifError(openError);
        return false;
    }
    int transparent = NO_TRANSPARENT_COLOR;
    if (!FindFirstImage(gif.get(), transparent, error)) {
        error = "not a readable GIF file: " + error;
        return false;
    }
    const GifImageDesc& frame = gif->Image;
    if (!CheckImageSize(frame.Width, frame.Height, options.fileSize, error, kMaxLzwPixelsPerByte))
        return false;
    // The frame sits on the logical screen when it fits there; otherwise it stands alone.
    const bool onScreen = int64_t{frame.Left} + frame.Width <= gif->SWidth &&
                          int64_t{frame.Top} + frame.Height <= gif->SHeight;
    const int width = onScreen ? gif->SWidth : frame.Width;
    const int height = onScreen ? gif->SHeight : frame.Height;
    const int left = onScreen ? frame.Left : 0;
    const int top = onScreen ? frame.Top : 0;
    if (!CheckImageSize(width, height, options.fileSize, error)) return false;

    std::vector<PaletteEntry> palette;
    const ColorMapObject* map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    if (map != nullptr && map->Colors != nullptr)
        for (int i = 0; i < map->ColorCount; ++i)
            palette.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    if (palette.empty())
        for (int i = 0; i < 256; ++i) palette.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
    const bool grey = PaletteIsGrey(palette);

    image = DecodedImage::Header(width, height, grey, false);
    if (options.infoOnly) return true;
    if (!image.Allocate(width, height, grey, false, error)) return false;
    for (int y = 0; y < height; ++y) std::fill_n(image.DisplayRow(y), image.Stride(), uint8_t{255});

    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    auto putRow = [&](int row) {
        uint8_t* out = image.DisplayRow(top + row) + std::size_t(left) * image.Channels();
        for (int x = 0; x < frame.Width; ++x) {
            const int index = line[x];
            if (index == transparent) continue;
            const PaletteEntry& colour =
                index < static_cast<int>(palette.size()) ? palette[index] : palette[0];
            if (grey) {
                out[x] = colour.red;
            } else {
                out[3 * x] = colour.blue;
                out[3 * x + 1] = colour.green;
                out[3 * x + 2] = colour.red;
            }
        }
    };
    // Interlaced frames store every eighth row first, then the rows between, in four passes.
    const int passStart[] = {0, 4, 2, 1}, passStep[] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? passStart[pass] : 0;
        const int step = frame.Interlace ? passStep[pass] : 1;
        for (int row = start; row < frame.Height; row += step) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) {
                error = "cannot decode the GIF file: " + GifError(gif->Error);
                image = DecodedImage{};
                return false;
            }
            putRow(row);
        }
    }
    return true;
}

}  // namespace stillpix::codec
