// The EXIF and IPTC blocks of one image (the codec's E and I handles). A block is read with the
// image, changed by the puts below and written into the saved file; copying a block copies its
// tags.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "exif/exif_source.h"

namespace stillpix {

// The cEXIF_Get* getters are this block's ExifSource methods (GetMake ... GetMakerNoteOffset), so
// the formatter reads a block directly.
class ExifBlock final : public ExifSource {
public:
    ExifBlock();
    ~ExifBlock() override;
    ExifBlock(const ExifBlock& other);
    ExifBlock& operator=(const ExifBlock& other);

    bool Empty() const;

    bool GetMake(std::string& out) const override;
    bool GetModel(std::string& out) const override;
    bool GetSoftware(std::string& out) const override;
    bool GetISOSpeed(int32_t& out) const override;
    bool GetExposureTime(double& seconds) const override;
    bool GetShutterSpeed(double& apex) const override;
    bool GetApertureValue(double& apex) const override;
    bool GetFNumber(double& out) const override;
    bool GetExposureBiasValue(double& thousandthsEv) const override;
    bool GetXResolution(double& out) const override;
    bool GetYResolution(double& out) const override;
    bool GetResolutionUnits(int32_t& out) const override;
    bool GetDigitalZoomRatio(double& out) const override;
    bool GetDateTime(std::string& out) const override;
    bool GetDateTimeOriginal(std::string& out) const override;
    bool GetDateTimeDigitized(std::string& out) const override;
    // Always answers: a block read from a file keeps that file's order, a new one is Intel order.
    bool GetBigEndian(bool& motorolaOrder) const override;
    bool GetMakerNote(std::vector<uint8_t>& out) const override;
    bool GetMakerNoteOffset(int32_t& out) const override;

    struct Impl;
    Impl& Internals() { return *impl_; }
    const Impl& Internals() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

class IptcBlock final {
public:
    IptcBlock();
    ~IptcBlock();
    IptcBlock(const IptcBlock& other);
    IptcBlock& operator=(const IptcBlock& other);

    bool Empty() const;

    struct Impl;
    Impl& Internals() { return *impl_; }
    const Impl& Internals() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

using ExifHandle = std::unique_ptr<ExifBlock>;
using IptcHandle = std::unique_ptr<IptcBlock>;

ExifHandle cNewEXIF();
IptcHandle cNewIPTC();
void cDestroyEXIF(ExifHandle& exif);
void cDestroyIPTC(IptcHandle& iptc);

// The puts change the tag in the block; they take effect in a file saved with the block.
bool cEXIF_PutPixelXDimension(ExifBlock& exif, uint32_t width);
bool cEXIF_PutPixelYDimension(ExifBlock& exif, uint32_t height);
// The standard ISO tag holds 16 bits; a larger speed is stored as 65535.
bool cEXIF_PutISOSpeed(ExifBlock& exif, int32_t iso);
bool cEXIF_PutSoftware(ExifBlock& exif, const std::string& software);
// Replaces the maker note by `bytes`, stored as they are.
bool cEXIF_PutMakerNote(ExifBlock& exif, std::span<const uint8_t> bytes);
// Bytes of the block as a JPEG EXIF segment would carry it ("Exif\0\0" and the TIFF block);
// 0 for an empty block.
uint32_t cEXIF_GetJPEGBlockSize(const ExifBlock& exif);

}  // namespace stillpix
