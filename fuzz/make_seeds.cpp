// Writes the seed inputs that our own writers make: images through the codec's save, EXIF
// blocks and maker notes laid out as cameras store them, settings records as the program
// stores them, and learned-profile files. Usage: stillpix_fuzz_seeds CORPUS_FOLDER
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "settings/persisted_settings.h"
#include "settings/preset_table.h"
#include "settings/profile_store.h"

namespace {

using namespace stillpix;
namespace fs = std::filesystem;

fs::path gRoot;
bool gOk = true;

void Write(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
    fs::create_directories(gRoot / target);
    std::ofstream out(gRoot / target / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) gOk = false;
}

std::vector<uint8_t> Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// ---- images through cSave ----

CodecHandle Picture(int width, int height, bool grey, bool sixteen) {
    CodecHandle h = cNewSession();
    cSet16BitComponentOptions(*h, true, true);
    const int channels = grey ? 1 : 3;
    std::vector<uint8_t> bytes(std::size_t(width) * height * channels * (sixteen ? 2 : 1));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>((i * 37) ^ (i >> 3));
    if (sixteen) {
        gOk = cLoadImage16(*h, bytes, width, height, grey) && gOk;
    } else if (grey) {
        gOk = cLoadImage8(*h, bytes, width, height) && gOk;
    } else {
        BitmapInfoHeader header;
        header.width = width;
        header.height = height;
        header.bitCount = 24;
        std::vector<uint8_t> bits(BitmapStride(width, 24) * height);
        for (int y = 0; y < height; ++y)
            std::copy_n(bytes.begin() + std::ptrdiff_t(y) * width * 3, width * 3,
                        bits.begin() + BitmapStride(width, 24) * y);
        gOk = cLoadDIBitmap(*h, header, bits) && gOk;
    }
    return h;
}

void Save(CodecSession& h, int code, const std::string& target, const std::string& name) {
    const fs::path file = fs::temp_directory_path() / ("stillpix-seed-" + name);
    if (!cSave(h, file, code)) {
        std::fprintf(stderr, "cannot save %s: %s\n", name.c_str(), cGetLastError(h).c_str());
        gOk = false;
        return;
    }
    Write(target, name, Read(file));
    fs::remove(file);
}

void Images() {
    Save(*Picture(16, 12, false, false), 90, "jpeg", "colour.jpg");
    Save(*Picture(9, 7, true, false), 40, "jpeg", "grey.jpg");
    Save(*Picture(12, 10, false, false), kSaveCodePng, "png", "colour8.png");
    Save(*Picture(7, 5, true, true), kSaveCodePng, "png", "grey16.png");
    Save(*Picture(10, 8, false, true), kSaveCodeTiff, "tiff", "rgb48.tif");
    Save(*Picture(11, 6, true, false), kSaveCodeTiff, "tiff", "grey8.tif");
    CodecHandle withProfile = Picture(6, 6, false, false);
    cLoadICCProfile(*withProfile, SrgbProfile());
    cSaveICCProfileEnabled(*withProfile, true);
    Save(*withProfile, kSaveCodePng, "png", "srgb-profile.png");
    Write("icc", "srgb.icc", SrgbProfile());
}

// ---- EXIF blocks and maker notes ----

class Block {
public:
    explicit Block(bool bigEndian) : big_(bigEndian) {}
    std::vector<uint8_t> bytes;
    void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) { big_ ? (U8(v >> 8), U8(v)) : (U8(v), U8(v >> 8)); }
    void U32(uint32_t v) { big_ ? (U16(v >> 16), U16(v)) : (U16(v), U16(v >> 16)); }
    void Text(const std::string& t) { bytes.insert(bytes.end(), t.begin(), t.end()); }
    void Header() { Text(big_ ? "MM" : "II"), U16(42), U32(8); }

    struct Entry {
        uint16_t tag, type;
        uint32_t count;
        std::vector<uint8_t> value;  // in the block's order
    };
    Entry Shorts(uint16_t tag, const std::vector<uint16_t>& values) const {
        Block b(big_);
        for (uint16_t v : values) b.U16(v);
        return {tag, 3, uint32_t(values.size()), b.bytes};
    }
    Entry Long(uint16_t tag, uint32_t value) const {
        Block b(big_);
        b.U32(value);
        return {tag, 4, 1, b.bytes};
    }
    Entry Rational(uint16_t tag, uint32_t numerator, uint32_t denominator) const {
        Block b(big_);
        b.U32(numerator), b.U32(denominator);
        return {tag, 5, 1, b.bytes};
    }
    Entry SignedRational(uint16_t tag, int32_t numerator, int32_t denominator) const {
        Entry e = Rational(tag, uint32_t(numerator), uint32_t(denominator));
        e.type = 10;
        return e;
    }
    Entry Ascii(uint16_t tag, const std::string& text) const {
        std::vector<uint8_t> v(text.begin(), text.end());
        v.push_back(0);
        return {tag, 2, uint32_t(v.size()), v};
    }
    // A directory and its out-of-line values; stored offsets are positions here minus `origin`.
    // Returns the position of the value field of each entry.
    std::vector<std::size_t> Directory(const std::vector<Entry>& entries, int64_t origin) {
        U16(uint32_t(entries.size()));
        std::vector<std::size_t> fields;
        std::size_t valuesAt = bytes.size() + 12 * entries.size() + 4;
        for (const Entry& e : entries) {
            U16(e.tag), U16(e.type), U32(e.count);
            fields.push_back(bytes.size());
            if (e.value.size() <= 4) {
                for (std::size_t i = 0; i < 4; ++i) U8(i < e.value.size() ? e.value[i] : 0);
            } else {
                U32(uint32_t(int64_t(valuesAt) - origin));
                valuesAt += (e.value.size() + 1) & ~std::size_t{1};
            }
        }
        U32(0);
        for (const Entry& e : entries)
            if (e.value.size() > 4) {
                bytes.insert(bytes.end(), e.value.begin(), e.value.end());
                if (bytes.size() % 2) U8(0);
            }
        return fields;
    }
    void Patch32(std::size_t at, uint32_t v) {
        Block b(big_);
        b.U32(v);
        std::copy(b.bytes.begin(), b.bytes.end(), bytes.begin() + std::ptrdiff_t(at));
    }

private:
    bool big_;
};

std::vector<uint8_t> CanonNote(bool big, uint32_t position) {
    Block w(big);
    std::vector<uint16_t> settings(25, 0);
    settings[0] = 50, settings[13] = 65535, settings[14] = 1, settings[15] = 0, settings[16] = 17;
    std::vector<uint16_t> shot(10, 0);
    shot[0] = 20, shot[7] = 1;
    w.Directory(
        {w.Shorts(0x0001, settings), w.Shorts(0x0004, shot), w.Ascii(0x0006, "IMG:EOS 5D JPEG")},
        -int64_t(position));
    return w.bytes;
}

std::vector<uint8_t> NikonNote(bool big) {
    Block w(big);
    static constexpr uint8_t kHeader[] = {'N', 'i', 'k',  'o', 'n',
                                          0,   2,   0x10, 0,   0};  // version 2.10
    for (uint8_t b : kHeader) w.U8(b);
    w.Header();
    w.Directory(
        {w.Shorts(0x0002, {0, 400}), w.Ascii(0x0004, "NORMAL "), w.Shorts(0x0013, {0, 800})}, 10);
    return w.bytes;
}

// IFD0 (make, model, resolution), the EXIF IFD (ISO, exposure, f-number, bias, date) and the
// maker note behind it, as a camera writes them.
std::vector<uint8_t> ExifBlock(bool big, const std::string& make, bool nikon) {
    Block w(big);
    w.Header();
    const auto ifd0 =
        w.Directory({w.Ascii(0x010F, make), w.Ascii(0x0110, "Model 1"), w.Rational(0x011A, 300, 1),
                     w.Rational(0x011B, 300, 1), w.Shorts(0x0128, {2}),
                     w.Ascii(0x0131, "Firmware 1.0"), w.Long(0x8769, 0)},
                    0);
    w.Patch32(ifd0[6], uint32_t(w.bytes.size()));
    const std::size_t exifIfd = w.bytes.size();
    // The directory of 7 entries, then four rationals and the 20-byte date out of line.
    const std::size_t noteAt = exifIfd + 2 + 12 * 7 + 4 + 8 * 4 + 20;
    const std::vector<uint8_t> note = nikon ? NikonNote(big) : CanonNote(big, uint32_t(noteAt));
    std::vector<Block::Entry> exif = {
        w.Rational(0x829A, 1, 125),      w.Rational(0x829D, 28, 10),
        w.Shorts(0x8827, {400}),         w.Ascii(0x9003, "2024:05:01 10:00:00"),
        w.SignedRational(0x9204, -2, 3), w.Rational(0xA404, 1, 1)};
    exif.push_back({0x927C, 7, uint32_t(note.size()), {}});
    const auto fields = w.Directory(exif, 0);
    if (w.bytes.size() != noteAt) gOk = false;
    w.Patch32(fields.back(), uint32_t(w.bytes.size()));
    w.bytes.insert(w.bytes.end(), note.begin(), note.end());
    return w.bytes;
}

void ExifSeeds() {
    for (bool big : {false, true}) {
        const std::string order = big ? "-mm" : "-ii";
        Write("exif", "canon" + order, ExifBlock(big, "Canon", false));
        Write("exif", "nikon" + order, ExifBlock(big, "NIKON CORPORATION", true));
        // maker-note inputs: order flag, the codec's offset (note position + 12), the note
        const uint32_t position = 200;
        std::vector<uint8_t> canon = {uint8_t(big ? 1 : 0)};
        for (int i = 0; i < 4; ++i) canon.push_back(uint8_t((position + 12) >> (8 * i)));
        const auto note = CanonNote(big, position);
        canon.insert(canon.end(), note.begin(), note.end());
        Write("makernote_canon", "canon" + order, canon);
        std::vector<uint8_t> nikon = {uint8_t(big ? 1 : 0), 0, 0, 0, 0};
        const auto nikonNote = NikonNote(big);
        nikon.insert(nikon.end(), nikonNote.begin(), nikonNote.end());
        Write("makernote_nikon3", "nikon" + order, nikon);
    }
}

// ---- settings records and learned-profile files ----

void Value(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
    out.push_back(uint8_t(bytes.size())), out.push_back(uint8_t(bytes.size() >> 8));
    out.insert(out.end(), bytes.begin(), bytes.end());
}
template <std::size_t N>
std::vector<uint8_t> V(const std::array<uint8_t, N>& a) {
    return {a.begin(), a.end()};
}
std::vector<uint8_t> V(const std::string& s) { return {s.begin(), s.end()}; }

void SettingsSeeds() {
    AppSettings settings;
    AppSettings2 settings2;
    AppSettings3 settings3;
    BatchSettings batch = DefaultBatchSettings(settings);
    std::vector<uint8_t> plain = {0};  // checksums as stored
    Value(plain, V(EncodeAppSettings(settings)));
    Value(plain, V(EncodeAppSettings2(settings2)));
    Value(plain, V(EncodeAppSettings3(settings3)));
    Value(plain, V(EncodeBatchSettings(batch)));
    Value(
        plain,
        V(std::string("/home/user/.local/share/Veltrano/Stillpix Professional Edition/Profiles")));
    Value(plain, V(std::string("/home/user/Pictures")));
    Value(plain, V(std::string("/home/user/Pictures/2024")));
    Value(plain, V(std::string("")));
    FilterSettings filter;
    Value(plain, V(std::string("My filter")));
    Value(plain, V(EncodeFilterSettings(filter)));
    Value(plain, V(std::string("Night, strong")));
    Value(plain, V(EncodeFilterSettings(filter)));
    Write("settings", "defaults", plain);
    std::vector<uint8_t> fixed = plain;
    fixed[0] = 0x0F;  // the target recomputes every checksum
    Write("settings", "defaults-fixed", fixed);
}

void ProfileSeeds() {
    const fs::path folder = fs::temp_directory_path() / "stillpix-seed-profiles";
    fs::remove_all(folder);
    LearnedProfileStore store(folder);
    ImageDescriptor d;
    std::snprintf(d.make, sizeof d.make, "Canon");
    std::snprintf(d.model, sizeof d.model, "Canon EOS 5D");
    d.width = 4368, d.height = 2912, d.fNumber = 5.6, d.exposureTime = 0.01, d.isoSpeed = 400;
    NoiseProfile profile{};
    profile.bandCount = 4;
    for (int b = 0; b < 4; ++b) {
        profile.bands[b].binCount = 11;
        for (int k = 0; k < 11; ++k)
            for (int c = 0; c < 3; ++c) {
                profile.bands[b].levels[k][c] = int16_t(40 + 3 * k + b);
                profile.bands[b].counts[k][c] = int16_t(100 + k);
            }
    }
    store.LearnFromImage("/photos/a.jpg", d, profile, true);
    d.isoSpeed = 1600;
    store.LearnFromImage("/photos/b.jpg", d, profile, true);
    const std::vector<uint8_t> file = Read(ProfileFilePath(folder));
    if (file.size() < kProfileFileHeaderBytes + 2 * kLearnedProfileRecordBytes) gOk = false;
    std::vector<uint8_t> raw = {0};
    raw.insert(raw.end(), file.begin(), file.end());
    Write("profile_file", "two-records", raw);
    std::vector<uint8_t> records = {1};
    records.insert(records.end(), file.begin() + kProfileFileHeaderBytes,
                   file.begin() + kProfileFileHeaderBytes + kLearnedProfileRecordBytes);
    Write("profile_file", "one-record-body", records);
    fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: stillpix_fuzz_seeds CORPUS_FOLDER\n");
        return 2;
    }
    gRoot = argv[1];
    Images();
    ExifSeeds();
    SettingsSeeds();
    ProfileSeeds();
    if (!gOk) std::fprintf(stderr, "some seeds could not be written\n");
    return gOk ? 0 : 1;
}
