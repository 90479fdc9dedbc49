// `stillpix-cli denoise` keeps a photo's metadata: files tagged by exiftool (Canon and Nikon maker
// notes, GPS, XMP, IPTC, orientation, comment, thumbnail, ICC) saved as JPEG, TIFF 24/48 and PNG
// read back by exiftool the same except the tags the save must change.
#include <algorithm>
#include <map>
#include <set>

#include "tests/codec/codec_test_support.h"
#include "tests/exif/maker_note_layouts.h"
#include "tests/support/cli_run.h"

namespace stillpix::test {
namespace {

using Bytes = std::vector<uint8_t>;

// Canon: settings (contrast low, ISO 100), shot info (white balance sunny), an image type text;
// offsets counted from the TIFF header as if the note sat at `base`, and Canon's footer.
Bytes CanonNote(uint32_t base) {
    TiffBlockWriter w(true);
    Entries entries = CanonLists(w, 65535, 0, 0, 17, 1);
    entries.push_back(w.Ascii(0x0006, "IMG:EOS 5D JPEG"));
    w.Directory(entries, -static_cast<int64_t>(base));
    w.Raw("MM"), w.U16(42), w.U32(base);
    return w.Bytes();
}

Bytes NikonNoteBytes() {
    return NikonNote(false, [](const TiffBlockWriter& w) {
        return Entries{w.Short(0x0002, {0, 800}), w.Ascii(0x0004, "FINE  "), w.Short(0x00AA, {3})};
    });
}

// exiftool's tags as "[group] name" -> value.
std::multimap<std::string, std::string> Tags(const std::filesystem::path& file) {
    std::multimap<std::string, std::string> tags;
    const std::string out = ExifToolRun({"-a", "-G1", "-s", file.string()});
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = out.substr(start, end - start);
        const std::size_t close = line.find(']'), colon = line.find(" : ");
        if (close == std::string::npos || colon == std::string::npos) continue;
        std::string name = line.substr(close + 1, colon - close - 1);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        tags.emplace(line.substr(0, close + 1) + " " + name, line.substr(colon + 3));
    }
    return tags;
}

// Groups that describe the file rather than the photo.
const std::set<std::string> kFileGroups = {"[ExifTool]", "[System]",    "[File]",
                                           "[JFIF]",     "[Composite]", "[PNG]"};
// Tags the save must change, by target: the program's name, the ISO taken from the maker note,
// the pixel size, the file's own TIFF layout; TIFF and PNG files carry no EXIF thumbnail, and a
// TIFF no JPEG stream description (the comment becomes its description).
const std::set<std::string> kChanged = {"[IFD0] Software",
                                        "[ExifIFD] ISO",
                                        "[ExifIFD] ExifImageWidth",
                                        "[ExifIFD] ExifImageHeight",
                                        "[IFD0] ImageWidth",
                                        "[IFD0] ImageHeight",
                                        "[IFD0] BitsPerSample",
                                        "[IFD0] Compression",
                                        "[IFD0] PhotometricInterpretation",
                                        "[IFD0] StripOffsets",
                                        "[IFD0] SamplesPerPixel",
                                        "[IFD0] RowsPerStrip",
                                        "[IFD0] StripByteCounts",
                                        "[IFD0] PlanarConfiguration",
                                        "[IFD0] Predictor",
                                        "[IFD0] FillOrder"};
const std::set<std::string> kChangedTiff = {"[ExifIFD] ComponentsConfiguration",
                                            "[ExifIFD] CompressedBitsPerPixel",
                                            "[IFD0] ImageDescription"};

bool Compared(const std::string& key, const std::string& target) {
    const std::string group = key.substr(0, key.find(']') + 1);
    if (kFileGroups.count(group) || kChanged.count(key)) return false;
    if (target != "jpg" && group == "[IFD1]") return false;
    return !(target.rfind("tif", 0) == 0 && kChangedTiff.count(key));
}

struct Source {
    const char* name;
    const char* make;
    bool tiff;
    bool canon;
};

struct Target {
    const char* name;  // file name of the output
    std::vector<std::string> options;
};

class MetadataRoundTrip : public CodecTest {
protected:
    std::filesystem::path MakeSource(const Source& s) {
        const auto file = File(std::string(s.name) + (s.tiff ? ".tif" : ".jpg"));
        const auto thumb = File("thumb.jpg"), icc = File("srgb.icc"), note = File("note.bin");
        WriteFileBytes(icc, SrgbProfile());
        const std::string pixels =
            s.tiff ? "-size 64x48 gradient:red-blue -depth 16 -define tiff:endian=msb "
                   : "-size 64x48 gradient:red-blue -quality 95 ";
        EXPECT_TRUE(Shell("/usr/bin/convert " + pixels + ShellQuoted(file) +
                          " && /usr/bin/convert -size 16x12 xc:gray " + ShellQuoted(thumb)));
        EXPECT_TRUE(Shell(
            "exiftool -q -overwrite_original -ExifByteOrder=" + std::string(s.canon ? "MM" : "II") +
            " '-Make=" + s.make + "' '-Model=Test Camera' -Orientation#=6 -ExposureTime=1/60" +
            " -FNumber=4 '-DateTimeOriginal=2024:05:06 07:08:09' -XResolution=300" +
            " -YResolution=300 -ResolutionUnit=inches -Artist=Tester -Copyright=Someone" +
            " -GPSLatitude=48.5 -GPSLatitudeRef=N -GPSLongitude=11.25 -GPSLongitudeRef=E" +
            " -XMP:Rating=4 -XMP:Label=Red -XMP:Subject=night -IPTC:Keywords=noise" +
            " '-IPTC:Caption-Abstract=A test' '-Comment=hello there' '-ICC_Profile<=" +
            icc.string() + "'" + (s.tiff ? "" : " '-ThumbnailImage<=" + thumb.string() + "'") +
            (s.tiff ? " -WhitePoint='0.3127 0.329'" : "") + " " + ShellQuoted(file)));
        // exiftool places the note where it likes: a Canon note, counting from the TIFF header,
        // is written again once that place is known.
        WriteFileBytes(note, s.canon ? CanonNote(0) : NikonNoteBytes());
        const std::string write = "exiftool -q -overwrite_original '-MakerNotes<=" + note.string() +
                                  "' " + ShellQuoted(file);
        EXPECT_TRUE(Shell(write));
        const std::string adjusted = RunShell("exiftool -validate -warning -a -s3 " +
                                              ShellQuoted(file) + " | sed -n 's/.*base by //p'");
        if (s.canon && !adjusted.empty()) {
            WriteFileBytes(note, CanonNote(static_cast<uint32_t>(std::stoul(adjusted))));
            EXPECT_TRUE(Shell(write));
        }
        EXPECT_EQ(Warnings(file).find("MakerNotes"), std::string::npos) << Warnings(file);
        return file;
    }

    static std::string Warnings(const std::filesystem::path& file) {
        return ExifToolRun({"-validate", "-warning", "-a", "-s3", file.string()});
    }
};

const Source kSources[] = {{"canon", "Canon", false, true},
                           {"nikon", "NIKON CORPORATION", false, false},
                           {"nikon16", "NIKON CORPORATION", true, false},
                           {"canon16", "Canon", true, true}};
const Target kTargets[] = {{"out.jpg", {"--quality", "95"}},
                           {"out.tif", {"--tiff-depth", "24"}},
                           {"out48.tif", {"--tiff-depth", "48"}},
                           {"out.png", {}}};

TEST_F(MetadataRoundTrip, EveryTagSurvivesExceptWhatTheSaveMustChange) {
    for (const Source& s : kSources) {
        const auto in = MakeSource(s);
        const auto before = Tags(in);
        ASSERT_EQ(before.count("[Canon] CameraISO") + before.count("[Nikon] ISO"), 1u) << s.name;
        for (const Target& t : kTargets) {
            const std::string where = std::string(s.name) + " -> " + t.name;
            const auto out = File(t.name);
            std::vector<std::string> args = {"denoise", in.string(), "-o", out.string(),
                                             "--no-learn"};
            args.insert(args.end(), t.options.begin(), t.options.end());
            const CliRun run = RunCli(args);
            ASSERT_EQ(run.status, 0) << where << ": " << run.err;
            EXPECT_EQ(run.err.find("warning"), std::string::npos) << where << ": " << run.err;

            const auto after = Tags(out);
            const std::string target = std::filesystem::path(t.name).extension().string().substr(1);
            std::multiset<std::string> lost, gained;
            for (const auto& [key, value] : before)
                if (Compared(key, target)) lost.insert(key + " = " + value);
            for (const auto& [key, value] : after)
                if (Compared(key, target) && !lost.erase(key + " = " + value))
                    gained.insert(key + " = " + value);
            EXPECT_TRUE(lost.empty() && gained.empty())
                << where << "\nlost: " << ::testing::PrintToString(lost)
                << "\ngained: " << ::testing::PrintToString(gained);

            // The tags that must change say what they must.
            EXPECT_EQ(ExifTool(out, "IFD0:Software"), "Veltrano Stillpix") << where;
            EXPECT_EQ(ExifTool(out, "ExifIFD:ISO"), s.canon ? "100" : "800") << where;
            EXPECT_EQ(ExifTool(out, "IFD0:Orientation#"), "6") << where;
            const bool tiff = target == "tif";
            EXPECT_EQ(ExifTool(out, "ExifIFD:ExifImageWidth"), "64") << where;
            if (tiff) {
                EXPECT_EQ(ExifTool(out, "IFD0:BitsPerSample"),
                          s.tiff && t.name == std::string("out48.tif") ? "16 16 16" : "8 8 8");
            }
            EXPECT_EQ(ExifTool(out, "IFD1:ThumbnailLength").empty(), s.tiff || target != "jpg")
                << where;
            // The maker note's bytes, read by exiftool without a complaint.
            EXPECT_EQ(ExifToolRun({"-b", "-MakerNotes", out.string()}),
                      ExifToolRun({"-b", "-MakerNotes", in.string()}))
                << where;
            EXPECT_EQ(Warnings(out).find("MakerNotes"), std::string::npos)
                << where << ": " << Warnings(out);
            EXPECT_NE(Identify(out, "%m %w %h"), "") << where;
        }
    }
}

// A TIFF's EXIF block of 64-128 KB does not fit a JPEG segment: the largest tags give way, named
// on stderr, and the save succeeds with the rest.
TEST_F(MetadataRoundTrip, JpegSegmentLimitDropsTheLargestTagsAndSaysSo) {
    const auto in = File("big.tif"), out = File("big.jpg");
    ASSERT_TRUE(Shell("/usr/bin/convert -size 32x24 gradient:red-blue " + ShellQuoted(in) +
                      " && exiftool -q -overwrite_original -Make=Canon -Artist=Tester"
                      " -UserComment=$(head -c 90000 /dev/zero | tr '\\0' x) " +
                      ShellQuoted(in)));
    const CliRun run = RunCli({"denoise", in.string(), "-o", out.string(), "--no-learn"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("warning:"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("UserComment"), std::string::npos) << run.err;
    EXPECT_EQ(ExifTool(out, "Artist"), "Tester");
    EXPECT_EQ(ExifTool(out, "Make"), "Canon");
    EXPECT_EQ(ExifTool(out, "UserComment"), "");
}

}  // namespace
}  // namespace stillpix::test
