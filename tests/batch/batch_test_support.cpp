#include "batch_test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace stillpix::test {

std::string RunTool(const std::string& command, int* status) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        if (status) *status = -1;
        return out;
    }
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int result = ::pclose(pipe);
    if (status) *status = result;
    return out;
}

std::string Quote(const std::filesystem::path& path) {
    std::string q = "'";
    for (char c : path.string()) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

bool MakeNoisyImage(const std::filesystem::path& file, int width, int height,
                    const std::string& options, const std::string& coder) {
    int status = -1;
    RunTool(
        "/usr/bin/convert -size " + std::to_string(width) + "x" + std::to_string(height) +
            " -seed 7 gradient:'rgb(60,90,140)-rgb(200,170,120)' -attenuate 0.6 +noise Gaussian " +
            options + " " + Quote(coder + file.string()) + " 2>&1",
        &status);
    return status == 0;
}

bool TagImage(const std::filesystem::path& file, const std::string& make, const std::string& model,
              int iso) {
    int status = -1;
    RunTool("exiftool -q -overwrite_original -Make=" + Quote(make) + " -Model=" + Quote(model) +
                " -ISO=" + std::to_string(iso) + " -FNumber=4 -ExposureTime=0.01 " + Quote(file) +
                " 2>&1",
            &status);
    return status == 0;
}

std::string Identify(const std::filesystem::path& file) {
    std::string out = RunTool("identify -format '%m %z %[channels]' " +
                              Quote(file.string() + "[0]") + " 2>/dev/null");
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

std::string ExifTool(const std::filesystem::path& file, const std::string& tag) {
    std::string out = RunTool("exiftool -s3 -" + tag + " " + Quote(file) + " 2>/dev/null");
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

}  // namespace stillpix::test
