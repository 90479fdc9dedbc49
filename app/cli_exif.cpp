// stillpix-cli exif: the EXIF rows of an image file as the EXIF list shows them, its ISO speed
// and the shooting data that learned profiles are keyed on.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/cli_commands.h"
#include "app/cli_options.h"
#include "codec/codec.h"
#include "exif/exif_formatter.h"

namespace stillpix::cli {
namespace {

constexpr const char* kUsage =
    "usage: stillpix-cli exif FILE [--json]\n"
    "  Prints the EXIF rows of a JPEG, TIFF, PNG, BMP or GIF file, its ISO speed and\n"
    "  the image descriptor's fields.\n"
    "  --json   the same as one JSON object\n";

std::string Number(double value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : "0";
}

// Length of the valid UTF-8 sequence at `s[i]`, or 0.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    const std::size_t n = lead < 0x80                             ? 1
                          : (lead & 0xE0) == 0xC0 && lead >= 0xC2 ? 2
                          : (lead & 0xF0) == 0xE0                 ? 3
                          : (lead & 0xF8) == 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    return n;
}

// A JSON string; bytes that are not UTF-8 (cameras write Latin-1 too) become U+FFFD.
std::string Json(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t n = Utf8Length(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out.append(text, i, n);
        }
        i += n;
    }
    return out + "\"";
}

struct Field {
    const char* name;
    std::string value;
    bool text;  // quoted in JSON
};

std::vector<Field> DescriptorFields(const ImageDescriptor& d) {
    return {
        {"make", d.make, true},
        {"model", d.model, true},
        {"width", std::to_string(d.width), false},
        {"height", std::to_string(d.height), false},
        {"fNumber", Number(d.fNumber), false},
        {"exposureTime", Number(d.exposureTime), false},
        {"shutterSpeedApex", Number(d.shutterSpeedApex), false},
        {"exposureTime2", Number(d.exposureTime2), false},
        {"exposureBias", Number(d.exposureBias), false},
        {"xResolution", Number(d.xResolution), false},
        {"yResolution", Number(d.yResolution), false},
        {"isoSpeed", std::to_string(d.isoSpeed), false},
        {"dateTime", d.dateTime, true},
        {"software", d.software, true},
        {"digitalZoom", Number(d.digitalZoom), false},
    };
}

void PrintText(const CExifFormatter& f) {
    std::size_t width = 0;
    for (const auto& label : f.Labels()) width = std::max(width, label.size());
    for (std::size_t i = 0; i < f.Labels().size(); ++i)
        std::printf("%-*s  %s\n", static_cast<int>(width), f.Labels()[i].c_str(),
                    f.Values()[i].c_str());
    std::printf("\nISO speed: %d\n\nDescriptor:\n", f.IsoSpeed());
    for (const Field& field : DescriptorFields(f.Descriptor()))
        std::printf("  %-16s  %s\n", field.name, field.value.c_str());
}

void PrintJson(const CExifFormatter& f) {
    std::printf("{\n  \"rows\": [");
    for (std::size_t i = 0; i < f.Labels().size(); ++i)
        std::printf("%s\n    {\"label\": %s, \"value\": %s}", i == 0 ? "" : ",",
                    Json(f.Labels()[i]).c_str(), Json(f.Values()[i]).c_str());
    std::printf("\n  ],\n  \"isoSpeed\": %d,\n  \"descriptor\": {", f.IsoSpeed());
    bool first = true;
    for (const Field& field : DescriptorFields(f.Descriptor())) {
        std::printf("%s\n    \"%s\": %s", first ? "" : ",", field.name,
                    (field.text ? Json(field.value) : field.value).c_str());
        first = false;
    }
    std::printf("\n  }\n}\n");
}

int RunExifCommand(int argc, char** argv) {
    CliArgs args;
    std::string error;
    if (!args.Parse(argc, argv, {}, error)) {
        std::fprintf(stderr, "stillpix-cli exif: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (args.Flag("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const auto unknown = args.Unknown({"help", "json"});
    if (!unknown.empty() || args.Positional().size() != 1) {
        std::fprintf(
            stderr, "stillpix-cli exif: %s\n%s",
            unknown.empty() ? "needs one image file" : ("unknown option " + unknown[0]).c_str(),
            kUsage);
        return 2;
    }
    const std::string& file = args.Positional()[0];

    // Size, depth, profile and blocks come from the headers: no pixel is decoded, so a file of
    // any declared size costs only its metadata.
    ImageFileInfo info;
    ExifBlock exif;
    std::string reason;
    if (!cGetImageFileInfoEx(file, info, &exif, nullptr, &reason)) {
        std::fprintf(stderr, "stillpix-cli exif: cannot open %s: %s\n", file.c_str(),
                     reason.c_str());
        return 1;
    }
    CExifFormatter formatter;
    std::string profileName;
    if (!info.icc.empty() && cGetICCProfileName(info.icc, profileName))
        formatter.SetColorProfile(profileName);
    formatter.SetColorDepth(info.bitsPerPixel);
    formatter.Set(exif, info.width, info.height);

    if (args.Flag("json")) PrintJson(formatter);
    else PrintText(formatter);
    return 0;
}

CommandRegistration registration{"exif", "print an image's EXIF rows, ISO speed and descriptor",
                                 RunExifCommand};

}  // namespace
}  // namespace stillpix::cli
