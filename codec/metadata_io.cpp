// EXIF and IPTC blocks in and out of files through exiv2.
#include <algorithm>
#include <mutex>

#include "codec/metadata_internal.h"

namespace stillpix::codec {
namespace {

// IFD0 tags that describe how the source file stores its pixels, or that carry data handled on
// their own (ICC profile, IPTC, XMP, Photoshop resources); none of them belongs to a new file.
constexpr uint16_t kLayoutTags[] = {
    0x00FE, 0x00FF, 0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x0107, 0x0108, 0x0109, 0x010A, 0x0111,
    0x0115, 0x0116, 0x0117, 0x0118, 0x0119, 0x011C, 0x0124, 0x0125, 0x013D, 0x0140, 0x0142, 0x0143,
    0x0144, 0x0145, 0x014A, 0x0152, 0x0153, 0x0154, 0x0155, 0x015B, 0x0200, 0x0201, 0x0202, 0x0203,
    0x0205, 0x0206, 0x0207, 0x0208, 0x0209, 0x0211, 0x0212, 0x02BC, 0x83BB, 0x8649, 0x8773,
};

bool IsLayoutTag(const Exiv2::Exifdatum& datum, bool keepThumbnail) {
    const std::string group = datum.groupName();
    if (group == "Image")
        return std::find(std::begin(kLayoutTags), std::end(kLayoutTags), datum.tag()) !=
               std::end(kLayoutTags);
    // Further images of a TIFF file; IFD1 of a JPEG is its preview and stays with it.
    if (group == "Thumbnail") return !keepThumbnail;
    return group.rfind("SubImage", 0) == 0 || group.rfind("SubThumb", 0) == 0 ||
           group == "Image2" || group == "Image3";
}

// Through a plain file, never a name exiv2 would take for a URL or for standard input.
Exiv2::Image::AutoPtr Open(const std::filesystem::path& file) {
    return Exiv2::ImageFactory::open(Exiv2::BasicIo::AutoPtr(new Exiv2::FileIo(file.string())));
}

}  // namespace

void InitExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
    });
}

bool ReadMetadata(const std::filesystem::path& file, bool keepThumbnail, ExifBlock* exif,
                  IptcBlock* iptc, std::string& error) {
    InitExiv2();
    try {
        Exiv2::Image::AutoPtr image = Open(file);
        if (image.get() == nullptr) {
            error = "exiv2 does not know the file";
            return false;
        }
        image->readMetadata();
        if (exif != nullptr) {
            ExifBlock::Impl& block = exif->Internals();
            block.data = image->exifData();
            for (auto it = block.data.begin(); it != block.data.end();)
                it = IsLayoutTag(*it, keepThumbnail) ? block.data.erase(it) : std::next(it);
            block.order =
                image->byteOrder() == Exiv2::bigEndian ? Exiv2::bigEndian : Exiv2::littleEndian;
            block.Changed();
        }
        if (iptc != nullptr) iptc->Internals().data = image->iptcData();
        return true;
    } catch (const std::exception& e) {
        error = std::string("the file's metadata cannot be read: ") + e.what();
    } catch (...) {
        error = "the file's metadata cannot be read";
    }
    if (exif != nullptr) *exif = ExifBlock();
    if (iptc != nullptr) *iptc = IptcBlock();
    return false;
}

bool WriteMetadata(const std::filesystem::path& file, const ExifBlock& exif, const IptcBlock& iptc,
                   std::string& error) {
    if (exif.Empty() && iptc.Empty()) return true;
    InitExiv2();
    try {
        Exiv2::Image::AutoPtr image = Open(file);
        if (image.get() == nullptr) {
            error = "exiv2 cannot open the written file";
            return false;
        }
        // What the image writer put there (a TIFF file's layout, the ICC profile) stays.
        image->readMetadata();
        Exiv2::ExifData merged = image->exifData();
        for (const Exiv2::Exifdatum& datum : exif.Internals().data)
            merged[datum.key()].setValue(&datum.value());
        image->setExifData(merged);
        image->setIptcData(iptc.Internals().data);
        image->setByteOrder(exif.Internals().order);
        image->writeMetadata();
        return true;
    } catch (const std::exception& e) {
        error = std::string("cannot write the metadata: ") + e.what();
    } catch (...) {
        error = "cannot write the metadata";
    }
    return false;
}

}  // namespace stillpix::codec
