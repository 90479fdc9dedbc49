// Turns an image's EXIF block into the rows of the EXIF list, the ISO speed written back on save
// and the ImageDescriptor that learned profiles are keyed on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exif/exif_source.h"
#include "exif/image_descriptor.h"

namespace stillpix {

// The display texts; each starts empty and an empty one gives no row.
struct ExifTexts {
    std::string make, model, width, height, aperture, shutterSpeed, exposureBias;
    std::string xResolution, yResolution, isoSpeed, dateCreated, software, digitalZoom;
    std::string colorProfile, colorDepth;
};

class CTagDirectory;

class CExifFormatter {
public:
    CExifFormatter() = default;
    virtual ~CExifFormatter() = default;
    CExifFormatter(const CExifFormatter&) = delete;
    CExifFormatter& operator=(const CExifFormatter&) = delete;

    // Set by the image's owner before Set: the embedded ICC profile's name and "%d bpp".
    void SetColorProfile(const std::string& profileName) { texts_.colorProfile = profileName; }
    void SetColorDepth(int bitsPerPixel);

    // Reads `exif` for an image of width x height pixels and builds the texts, the descriptor
    // and the rows. Starts afresh each time (keeping the colour texts above); `exif` is used only
    // during the call and may go away afterwards.
    void Set(const ExifSource& exif, int width, int height);

    // Parses the block given to Set; the maker-note directories override it with their own
    // interpretation of the note.
    virtual void Format();

    const ExifTexts& Texts() const { return texts_; }
    const ImageDescriptor& Descriptor() const { return descriptor_; }
    // The ISO speed of the image (standard tag, else maker note); 0 when unknown or automatic.
    int32_t IsoSpeed() const { return descriptor_.isoSpeed; }
    const std::vector<std::string>& Labels() const { return labels_; }
    const std::vector<std::string>& Values() const { return values_; }

protected:
    void AddRow(const char* label, const std::string& value);

    const ExifSource* exif_ = nullptr;
    ExifTexts texts_;
    ImageDescriptor descriptor_;
    std::vector<std::string> labels_;
    std::vector<std::string> values_;

private:
    friend class CTagDirectory;
    // A maker note's ISO fills in only what the standard tag left unknown.
    void AdoptMakerNoteIso(int32_t iso, const std::string& text);
    std::unique_ptr<CTagDirectory> ReadMakerNote();
    void BuildRows();
};

}  // namespace stillpix
