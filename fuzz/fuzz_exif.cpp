// A hostile EXIF block (the TIFF structure of a JPEG's APP1 segment) carried by a small valid
// JPEG: read with the file, formatted into rows, its maker note located, and written again into
// a saved JPEG or TIFF as a save copies the source's blocks, then read back from that file.
#include <string>
#include <vector>

#include "codec/codec.h"
#include "exif/exif_formatter.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace stillpix;
using namespace stillpix::fuzz;

constexpr int kSide = 8;
// A JPEG segment's length field counts itself and holds 16 bits.
constexpr std::size_t kMaxBlockBytes = 65535 - 2 - 6;

CodecHandle SmallImage() {
    CodecHandle h = cNewSession();
    Require(h != nullptr, "a session is made");
    std::vector<uint8_t> grey(kSide * kSide);
    for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>(i * 4);
    Require(cLoadImage8(*h, grey, kSide, kSide), "a small image is handed over");
    return h;
}

// A small JPEG without its start marker, made once by our own writer.
const std::vector<uint8_t>& JpegBody() {
    static const std::vector<uint8_t> body = [] {
        CodecHandle h = SmallImage();
        const auto file = ScratchFolder() / "body.jpg";
        Require(cSave(*h, file, 75), "the carrier JPEG is written");
        std::vector<uint8_t> bytes = ReadWhole(file);
        bytes.erase(bytes.begin(), bytes.begin() + 2);
        return bytes;
    }();
    return body;
}

void Format(const ExifBlock& exif) {
    CExifFormatter formatter;
    formatter.Set(exif, kSide, kSide);
    Require(formatter.Labels().size() == formatter.Values().size(),
            "every EXIF row has a label and a value");
    std::vector<uint8_t> note;
    int32_t offset = 0;
    exif.GetMakerNote(note);
    exif.GetMakerNoteOffset(offset);
    cEXIF_GetJPEGBlockSize(exif);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > kMaxBlockBytes) return -1;
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE1};
    const std::size_t length = 2 + 6 + size;
    jpeg.push_back(static_cast<uint8_t>(length >> 8));
    jpeg.push_back(static_cast<uint8_t>(length));
    for (char c : std::string("Exif\0\0", 6)) jpeg.push_back(static_cast<uint8_t>(c));
    jpeg.insert(jpeg.end(), data, data + size);
    jpeg.insert(jpeg.end(), JpegBody().begin(), JpegBody().end());
    const auto file = WriteScratch("exif.jpg", jpeg);

    ImageFileInfo info;
    ExifBlock exif;
    IptcBlock iptc;
    Require(cGetImageFileInfoEx(file, info, &exif, &iptc),
            "the carrier JPEG is read whatever its EXIF");
    Format(exif);

    // A save carries the block over with the software tag rewritten; JPEG or TIFF by the input.
    CodecHandle h = SmallImage();
    ExifBlock copy = exif;
    cEXIF_PutSoftware(copy, "Stillpix Professional Edition");
    cEXIF_PutPixelXDimension(copy, kSide);
    cEXIF_PutPixelYDimension(copy, kSide);
    cPutImageEXIF_Info(*h, copy);
    cPutImageIPTC_Info(*h, iptc);
    const bool tiff = size % 3 == 0;
    const auto saved = ScratchFolder() / (tiff ? "saved.tif" : "saved.jpg");
    if (!cSave(*h, saved, tiff ? kSaveCodeTiff : 80)) {
        Require(!cGetLastError(*h).empty(), "a failed save says why");
        return 0;
    }
    ImageFileInfo savedInfo;
    ExifBlock reread;
    Require(cGetImageFileInfoEx(saved, savedInfo, &reread, nullptr), "a saved file reads back");
    Require(savedInfo.width == kSide && savedInfo.height == kSide, "a saved file keeps its size");
    Format(reread);
    return 0;
}
