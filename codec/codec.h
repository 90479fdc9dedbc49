// The image codec library: reads JPEG, TIFF, PNG, BMP and GIF files, writes JPEG, TIFF and PNG,
// carries EXIF, IPTC and ICC data, converts pixels between ICC profiles and makes thumbnails.
// One handle (H) holds one image for one load, save or thumbnail. Every call returns false on
// failure, with a message in cGetLastError; nothing throws.
//
// Pixels come in two layouts: the display bitmap (bottom-up, rows padded to 4 bytes, 8-bit
// B, G, R or 8-bit grey) and, for 16-bit files, the 16-bit samples (top-down, unpadded,
// little-endian B, G, R or grey). The display bitmap of a 16-bit image holds the high byte of
// every sample.
//
// Clipboard exchange is left to the window side: it hands a pasted bitmap over with
// cLoadDIBitmap and puts cGetDIB's block on the clipboard.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "codec/bitmap_info.h"
#include "codec/metadata.h"

namespace stillpix {

class CodecSession;
struct CodecSessionDeleter {
    void operator()(CodecSession* session) const;
};
using CodecHandle = std::unique_ptr<CodecSession, CodecSessionDeleter>;

// Format codes of cSave besides a JPEG quality of 0..100.
constexpr int kSaveCodeTiff = 18;
constexpr int kSaveCodePng = 11;

CodecHandle cNewSession();
// Drops the image, its profile and its blocks; the handle stays usable.
void cUnload(CodecSession& h);
void cDestroySession(CodecHandle& h);
const std::string& cGetLastError(const CodecSession& h);
// What the last successful save had to leave out (metadata beyond a JPEG segment's 64 KB); empty
// when it wrote everything.
const std::string& cGetLastWarning(const CodecSession& h);

// How a TIFF save compresses its strips. Deflate, at zlib's fastest level with the horizontal
// predictor, is the default: on a filtered 24-megapixel photo it writes files as small as LZW's
// (8 bits; 22 % smaller than LZW's at 16 bits, where LZW outgrows the plain samples) in half
// LZW's extra time.
enum class TiffCompression { kDeflate, kLzw, kNone };
bool cSetTIFFParams(CodecSession& h, TiffCompression compression);

// Checks a JPEG quality of 0..100; the quality a save uses is cSave's code, which
// callers set to the same value.
bool cSetJPEGParams(CodecSession& h, int quality);
// keepLoad: a 16-bit file keeps its samples (48 or 16 bpp) instead of being reduced to 8 bits.
// keepSave: 16-bit samples are written as 16 bits to TIFF and PNG.
bool cSet16BitComponentOptions(CodecSession& h, bool keepLoad, bool keepSave);

// Decodes the file (the format is told by its content, not its name), its embedded ICC profile
// and its EXIF and IPTC blocks. A file whose metadata is broken still loads, without it. Only
// regular files are read; a decode that would not fit in the memory left is refused with both
// figures ("needs 2.6 GiB, 1.1 GiB available"), as is a thumbnail's beyond 256 MiB.
bool cLoadImage(CodecSession& h, const std::filesystem::path& file);
// Decodes a reduced image that fits width x height, as fast as the format allows.
bool cLoadThumbnailEx(CodecSession& h, const std::filesystem::path& file, int width, int height);

struct ImageInfo {
    int width = 0;
    int height = 0;
    // 8, 16, 24 or 48: of the decoded pixels, not of the file. A palette image decodes to 24
    // bits (8 when every entry is grey) and alpha is put over white, so colour palettes and RGBA
    // files report 24 (48 for 16-bit RGBA) and open as colour images rather than being refused.
    int bitsPerPixel = 0;
    bool grey = false;
    int fileWidth = 0;  // of the file, before a thumbnail's reduction
    int fileHeight = 0;
};
bool cGetImageInfo(const CodecSession& h, ImageInfo& out);

// The display bitmap (a 48-bit image given as 24 bits, 16 as 8); valid until the handle changes.
bool cGetBitsPtr(const CodecSession& h, const uint8_t*& bits);
bool cGetBITMAPINFOPtr(const CodecSession& h, const BitmapInfo*& info);
// Header, palette (8 bits only) and bits in one block, as the clipboard takes it.
bool cGetDIB(const CodecSession& h, std::vector<uint8_t>& out);
// The 16-bit samples of a 48- or 16-bit image: width x height x bits-per-pixel / 8 bytes.
bool cGetImage16(const CodecSession& h, std::vector<uint8_t>& out);

// Moves the display bitmap and the 16-bit samples (empty for an 8-bit image) out of the handle,
// which keeps its blocks and profile but no pixels.
bool cTakeImage(CodecSession& h, std::vector<uint8_t>& display, std::vector<uint16_t>& samples);

// The profile embedded in the loaded file; false when there is none.
bool cGetImageICCProfile(const CodecSession& h, std::vector<uint8_t>& out);
// The profile's description; false for bytes that are not a profile.
bool cGetICCProfileName(std::span<const uint8_t> profile, std::string& out);
// Declares the profile the pixels are in (after a load: the embedded one, else sRGB).
bool cLoadICCProfile(CodecSession& h, std::span<const uint8_t> profile);
// Converts the pixels from their profile into `target`, which then becomes their profile.
bool cApplyICCProfile(CodecSession& h, std::span<const uint8_t> target);
// When on, the pixels' profile is embedded on save.
bool cSaveICCProfileEnabled(CodecSession& h, bool enabled);
// The sRGB IEC61966-2.1 profile the program works in.
const std::vector<uint8_t>& SrgbProfile();

// Hand pixels over for a save. A 24- or 32-bit bitmap (bottom-up, padded rows; the fourth byte
// of 32 bits is dropped); 8-bit grey rows, top-down and unpadded; 16-bit samples as above.
bool cLoadDIBitmap(CodecSession& h, const BitmapInfoHeader& header, std::span<const uint8_t> bits);
bool cLoadImage8(CodecSession& h, std::span<const uint8_t> grey, int width, int height);
bool cLoadImage16(CodecSession& h, std::span<const uint8_t> samples, int width, int height,
                  bool grey);

// Lends pixels for a save instead of handing them over: the display bitmap (bottom-up, padded
// rows, 8-bit B, G, R or grey) and, for a 16-bit image, its samples (top-down, unpadded, host
// order), whose high bytes the display must hold. They are read where they lie, so they must
// stay alive and unchanged until the handle is unloaded or destroyed; a conversion copies them.
bool cLendImage(CodecSession& h, std::span<const uint8_t> display,
                std::span<const uint16_t> samples, int width, int height, bool grey);
// cLendImage for a save that is the pixels' last use (a command line run that ends after it): a
// writer that needs a full-size buffer of its own (JPEG's optimised coding) gives the pages of
// the rows it has encoded back to the system meanwhile, so the two are not held at once, and a
// profile conversion (which copies them) gives them back once copied. The lent pixels are
// undefined afterwards, whether the save succeeded or not.
bool cLendImageForLastSave(CodecSession& h, std::span<uint8_t> display, std::span<uint16_t> samples,
                           int width, int height, bool grey);

// The image's blocks (empty ones for an image without them), and the blocks a save writes.
bool cGetImageEXIF_Info(const CodecSession& h, ExifBlock& out);
bool cGetImageIPTC_Info(const CodecSession& h, IptcBlock& out);
bool cPutImageEXIF_Info(CodecSession& h, const ExifBlock& exif);
bool cPutImageIPTC_Info(CodecSession& h, const IptcBlock& iptc);

// Writes the image: code kSaveCodeTiff (24 or 48 bits), kSaveCodePng, otherwise a JPEG of that
// quality (0..100). The file is written under a temporary name and replaces `file` only when
// complete, so a failed save leaves an existing file as it was.
bool cSave(CodecSession& h, const std::filesystem::path& file, int code);
// cSave with the format apart from the quality, so that a JPEG of quality 11 or 18 stays a JPEG.
enum class SaveFormat { kJpeg, kTiff, kPng };
bool cSaveAs(CodecSession& h, const std::filesystem::path& file, SaveFormat format,
             int jpegQuality);

struct ImageFileInfo {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    bool grey = false;
    std::string format;  // "JPEG", "TIFF", "PNG", "BMP" or "GIF"
    uint64_t fileSize = 0;
    std::vector<uint8_t> icc;  // the embedded profile, empty when none
};
// Reads the file's size, format, profile and blocks without decoding its pixels; a null block is
// not read.
bool cGetImageFileInfoEx(const std::filesystem::path& file, ImageFileInfo& out, ExifBlock* exif,
                         IptcBlock* iptc, std::string* error = nullptr);

}  // namespace stillpix
