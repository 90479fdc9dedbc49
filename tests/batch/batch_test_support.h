// Small noisy pictures made with ImageMagick and tagged by exiftool, for the runner and
// command-line tests.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/shell.h"
#include "tests/support/temp_folder.h"

namespace stillpix::test {

// A noisy gradient of width x height written by ImageMagick, with `options` and the `coder` put
// before the output name (for example "-depth 16" and "PNG48:", or "-colorspace Gray").
inline bool MakeNoisyImage(const std::filesystem::path& file, int width, int height,
                           const std::string& options = "", const std::string& coder = "") {
    return Shell("/usr/bin/convert -size " + std::to_string(width) + "x" + std::to_string(height) +
                 " -seed 7 gradient:'rgb(60,90,140)-rgb(200,170,120)' -attenuate 0.6"
                 " +noise Gaussian " +
                 options + " " + ShellQuoted(coder + file.string()) + " 2>&1");
}

// exiftool writes shooting data into a file.
inline bool TagImage(const std::filesystem::path& file, const std::string& make,
                     const std::string& model, int iso) {
    return Shell("exiftool -q -overwrite_original -Make=" + ShellQuoted(make) +
                 " -Model=" + ShellQuoted(model) + " -ISO=" + std::to_string(iso) +
                 " -FNumber=4 -ExposureTime=0.01 " + ShellQuoted(file) + " 2>&1");
}

}  // namespace stillpix::test
