// Shared by the runner and command-line tests: small noisy pictures made with ImageMagick,
// read back with identify and exiftool, and a folder's entries including hidden ones.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace stillpix::test {

// Runs a shell command; its standard output, its exit status in `status`.
std::string RunTool(const std::string& command, int* status = nullptr);
std::string Quote(const std::filesystem::path& path);

// A noisy gradient of width x height written by ImageMagick, with `options` and the `coder` put
// before the output name (for example "-depth 16" and "PNG48:", or "-colorspace Gray").
bool MakeNoisyImage(const std::filesystem::path& file, int width, int height,
                    const std::string& options = "", const std::string& coder = "");
// exiftool writes shooting data into a file.
bool TagImage(const std::filesystem::path& file, const std::string& make, const std::string& model,
              int iso);

// identify's "%m %z %[channels]" of the first frame: format, bits per sample, channels.
std::string Identify(const std::filesystem::path& file);
// exiftool's value of one tag ("-s3"); "" when absent.
std::string ExifTool(const std::filesystem::path& file, const std::string& tag);
// The names in a folder, hidden ones too, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);
std::vector<uint8_t> FileBytes(const std::filesystem::path& file);

}  // namespace stillpix::test
