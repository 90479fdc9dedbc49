#include "document_fixture.h"

#include <cstdlib>

#include "codec/codec.h"

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

void WriteTaggedPng(const std::filesystem::path& file, const std::vector<uint8_t>& profile) {
    constexpr int kW = 16, kH = 8;
    BitmapInfoHeader header;
    header.width = kW;
    header.height = kH;
    header.bitCount = 24;
    std::vector<uint8_t> bits(BitmapStride(kW, 24) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < 3; ++c)
                bits[y * BitmapStride(kW, 24) + 3 * x + c] = uint8_t(30 + x * 8 + c * 20 + y * 5);
    CodecHandle h = cNewSession();
    ASSERT_TRUE(cLoadDIBitmap(*h, header, bits) && cLoadICCProfile(*h, profile) &&
                cSaveICCProfileEnabled(*h, true) && cSave(*h, file, kSaveCodePng))
        << cGetLastError(*h);
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
