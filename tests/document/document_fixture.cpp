#include "document_fixture.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

namespace stillpix::test {

MessageAnswer FakeWindow::Show(const UserMessage& message) {
    shown.push_back(message);
    if (message.buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    if (answers.empty()) return MessageAnswer::kYes;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

DocumentTest::DocumentTest() {
    options_.settings.previewDelay = 1;
    doc_ = std::make_unique<CNoiseCleanerDoc>(
        DocumentContext{&options_, &store_, &profiles_, &events_}, window_);
    window_.doc = doc_.get();
}

void DocumentTest::OpenAndProfile(const std::filesystem::path& file) {
    ASSERT_TRUE(doc_->OnOpenDocument(file));
    ASSERT_TRUE(doc_->HasImage()) << (window_.shown.empty() ? "" : window_.shown.back().text);
    doc_->OnFirstShown();
    doc_->WaitForWorker();
    ASSERT_TRUE(doc_->Job().profileBuilt.load());
}

std::string Quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Shell(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int raw = ::pclose(pipe);
    if (status) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

std::string ExifTool(const std::filesystem::path& file, const std::string& tag) {
    std::string value = Shell("exiftool -s3 -" + tag + " " + Quoted(file.string()));
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
    return value;
}

std::vector<std::string> ExifTool(const std::filesystem::path& file,
                                  const std::vector<std::string>& tags) {
    std::string command = "exiftool -s3 -f";
    for (const std::string& tag : tags) command += " -" + tag;
    const std::string out = Shell(command + " " + Quoted(file.string()));
    std::vector<std::string> values;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos;
         start = end + 1)
        values.push_back(out.substr(start, end - start));
    return values;
}

void Convert(const std::string& arguments) {
    int status = 0;
    const std::string out = Shell("convert " + arguments, &status);
    ASSERT_EQ(status, 0) << arguments << "\n" << out;
}

double Rmse(const std::filesystem::path& a, const std::filesystem::path& b) {
    const std::string out =
        Shell("compare -metric RMSE " + Quoted(a.string()) + " " + Quoted(b.string()) + " null:");
    const std::size_t open = out.find('(');
    return open == std::string::npos ? 1.0 : std::atof(out.c_str() + open + 1);
}

void WriteScene(const std::filesystem::path& file, int width, int height,
                const std::string& extra) {
    Convert("-seed 3 -size " + std::to_string(width) + "x" + std::to_string(height) +
            " plasma:wheat-steelblue -blur 0x3 " + extra + " " + Quoted(file.string()));
}

void TagAsCamera(const std::filesystem::path& file, int iso, const std::string& extra) {
    int status = 0;
    const std::string out =
        Shell("exiftool -q -overwrite_original -Make=Canon '-Model=Canon EOS 5D' -ISO=" +
                  std::to_string(iso) + " -FNumber=4 -ExposureTime=0.01 -IPTC:Keywords=harbour " +
                  extra + " " + Quoted(file.string()),
              &status);
    ASSERT_EQ(status, 0) << out;
}

}  // namespace stillpix::test
