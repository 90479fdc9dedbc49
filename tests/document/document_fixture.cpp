#include "document_fixture.h"

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

void Convert(const std::string& arguments) {
    int status = 0;
    const std::string out = RunShell("convert " + arguments + " 2>&1", &status);
    ASSERT_EQ(status, 0) << arguments << "\n" << out;
}

double Rmse(const std::filesystem::path& a, const std::filesystem::path& b) {
    const std::string out =
        RunShell("compare -metric RMSE " + ShellQuoted(a) + " " + ShellQuoted(b) + " null: 2>&1");
    const std::size_t open = out.find('(');
    return open == std::string::npos ? 1.0 : std::atof(out.c_str() + open + 1);
}

void WriteScene(const std::filesystem::path& file, int width, int height,
                const std::string& extra) {
    Convert("-seed 3 -size " + std::to_string(width) + "x" + std::to_string(height) +
            " plasma:wheat-steelblue -blur 0x3 " + extra + " " + ShellQuoted(file));
}

void TagAsCamera(const std::filesystem::path& file, int iso, const std::string& extra) {
    int status = 0;
    const std::string out = RunShell(
        "exiftool -q -overwrite_original -Make=Canon '-Model=Canon EOS 5D' -ISO=" +
            std::to_string(iso) + " -FNumber=4 -ExposureTime=0.01 -IPTC:Keywords=harbour " + extra +
            " " + ShellQuoted(file) + " 2>&1",
        &status);
    ASSERT_EQ(status, 0) << out;
}

}  // namespace stillpix::test
