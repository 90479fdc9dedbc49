// cSave: the pixels and the blocks go to a temporary sibling of the target, and only the
// complete file is renamed over the target. A TIFF file is first written by libtiff beside it and
// then rebuilt with the EXIF directories.
#include <new>

#include "codec/codec.h"
#include "codec/formats.h"
#include "codec/metadata_internal.h"
#include "codec/session.h"
#include "platform/atomic_file.h"

namespace stillpix {

bool cSave(CodecSession& h, const std::filesystem::path& file, int code) {
    if (code == kSaveCodeTiff) return cSaveAs(h, file, SaveFormat::kTiff, 0);
    if (code == kSaveCodePng) return cSaveAs(h, file, SaveFormat::kPng, 0);
    return cSaveAs(h, file, SaveFormat::kJpeg, code);
}

bool cSaveAs(CodecSession& h, const std::filesystem::path& file, SaveFormat format,
             int jpegQuality) {
    h.error.clear();
    if (!h.HasPixels()) {
        h.error = "there is no image to save";
        return false;
    }
    if (format == SaveFormat::kJpeg && (jpegQuality < 0 || jpegQuality > 100)) {
        h.error = "unknown save code " + std::to_string(jpegQuality);
        return false;
    }
    TemporarySibling temp(file);
    if (!temp.Ok()) {
        h.error = temp.Error();
        return false;
    }
    const std::span<const uint8_t> icc =
        h.saveIcc ? std::span<const uint8_t>(h.pixelProfile) : std::span<const uint8_t>();
    const codec::ImageRows rows = h.Rows();
    std::string error;
    bool ok = false;
    h.warning.clear();
    try {
        codec::OutputMetadata meta;
        ok = codec::PrepareMetadata(h.exif, h.iptc, format, h.image.width, h.image.height, meta,
                                    error);
        if (!ok) {
        } else if (format == SaveFormat::kTiff) {
            const bool plain = h.exif.Empty() && h.iptc.Empty();
            TemporarySibling raw(file);
            ok = raw.Ok() || (error = raw.Error(), false);
            ok = ok && codec::WriteTiff(rows, plain ? temp.Path() : raw.Path(), h.keep16Save,
                                        h.tiffCompression, h.exif.Internals().block.bigEndian, icc,
                                        error);
            ok = ok &&
                 (plain || codec::WriteTiffWithMetadata(raw.Path(), temp.Path(), h.exif, h.iptc,
                                                        h.image.width, h.image.height, error));
        } else if (format == SaveFormat::kPng) {
            ok = codec::WritePng(rows, temp.Path(), h.keep16Save, icc, &meta, error);
        } else {
            ok = codec::WriteJpeg(rows, temp.Path(), jpegQuality, icc, &meta, error);
        }
        if (ok && !meta.dropped.empty()) {
            h.warning = "left out of " + file.string() + " (a JPEG segment holds at most 64 KB):";
            for (const std::string& what : meta.dropped) h.warning += " " + what + ",";
            h.warning.pop_back();
        }
    } catch (const std::bad_alloc&) {
        ok = false;
        error = "not enough memory to write " + file.string();
    }
    if (!ok) {
        h.error = error;
        return false;
    }
    if (!temp.Commit()) {
        h.error = temp.Error();
        return false;
    }
    return true;
}

}  // namespace stillpix
