// Shared by the document tests: a window that records what the document shows and answers from
// a script, a document on a temporary folder's settings and profile store, and the tools that
// make and read back test files independently (ImageMagick, exiftool).
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "document/noise_cleaner_doc.h"
#include "document/progress_dialog_model.h"
#include "tests/support/shell.h"
#include "tests/support/store_test.h"

namespace stillpix::test {

class FakeClipboard : public Clipboard {
public:
    bool HasBitmap() const override { return !bits.empty(); }
    bool GetBitmap(BitmapInfoHeader& outHeader, std::vector<uint8_t>& outBits) override {
        outHeader = header;
        outBits = bits;
        return HasBitmap();
    }
    bool SetBitmap(const std::vector<uint8_t>& block) override {
        packed = block;
        return true;
    }
    BitmapInfoHeader header;
    std::vector<uint8_t> bits;
    std::vector<uint8_t> packed;
};

class FakeWindow : public DocumentWindow {
public:
    Clipboard* GetClipboard() override { return &clipboard; }
    MessageAnswer Show(const UserMessage& message) override;
    IccAnswer AskIcc(const UserMessage& message) override {
        iccPrompts.push_back(message);
        iccThread = std::this_thread::get_id();
        return iccAnswer;
    }
    void SetStatusText(int pane, const std::string& text) override { status[pane & 1] = text; }
    bool RunProgressDialog(ProgressDialogModel& model) override {
        return RunProgressDialogHeadless(model, *doc);
    }
    bool ShowSummary(const std::string& text) override {
        summaries.push_back(text);
        return false;
    }
    void SelectPreset(int slot) override { selectedPreset = slot; }
    void TitleChanged(const std::string& title) override { titles.push_back(title); }
    int ShownPreset() const override { return 7; }

    CNoiseCleanerDoc* doc = nullptr;
    std::vector<UserMessage> shown;
    std::deque<MessageAnswer> answers;  // for questions; Yes when empty
    std::vector<UserMessage> iccPrompts;
    std::thread::id iccThread;
    IccAnswer iccAnswer;
    std::vector<std::string> summaries;
    std::string status[2];
    int selectedPreset = -1;
    std::vector<std::string> titles;
    FakeClipboard clipboard;
};

// The window's side of a run, on the worker thread: counts, and can hold the worker after its
// first preview tile until released.
class FakeEvents : public JobEvents {
public:
    void RunStarted(const std::string& text, bool) override {
        std::lock_guard lock(mutex_);
        started.push_back(text);
    }
    void TileFiltered(const TileRect&) override {
        std::unique_lock lock(mutex_);
        ++tilesShown;
        held_ = hold;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !hold; });
    }
    void WaitUntilHeld() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return held_; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        hold = false;
        changed_.notify_all();
    }
    void OpenDecoded() override {
        std::lock_guard lock(mutex_);
        decoded_ = true;
        changed_.notify_all();
    }
    bool Post(std::function<void()> task) override {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(task));
        changed_.notify_all();
        return true;
    }
    // The window thread's loop during a background open: runs what is posted until the decode
    // has ended, or, with `untilPosted`, only until a task is waiting (left unrun).
    void RunUntilDecoded(bool untilPosted = false) {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return decoded_ || !posted_.empty(); });
            if (posted_.empty() || untilPosted) break;
            std::function<void()> task = std::move(posted_.front());
            posted_.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
        decoded_ = false;
    }
    // Runs what is still posted (a task of an abandoned open).
    void RunPosted() {
        std::unique_lock lock(mutex_);
        auto tasks = std::move(posted_);
        lock.unlock();
        for (auto& task : tasks) task();
    }

    bool hold = false;  // set before the run starts
    std::vector<std::string> started;
    int tilesShown = 0;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool decoded_ = false;
    std::deque<std::function<void()>> posted_;
};

class DocumentTest : public StoreTest {
protected:
    DocumentTest();
    std::filesystem::path File(const std::string& name) const { return folder_.Path() / name; }
    // Opens `file` and runs the profile run to its end.
    void OpenAndProfile(const std::filesystem::path& file);

    AppOptions options_;
    LearnedProfileStore profiles_{folder_.Path() / "profiles"};
    FakeWindow window_;
    FakeEvents events_;
    std::unique_ptr<CNoiseCleanerDoc> doc_;
};

// `convert` with the arguments; fails the test when it does.
void Convert(const std::string& arguments);
// ImageMagick's RMSE between two images (normalised 0..1).
double Rmse(const std::filesystem::path& a, const std::filesystem::path& b);
// A smooth colour scene of width x height into `file` (any format by its name), and a noisy one.
void WriteScene(const std::filesystem::path& file, int width, int height,
                const std::string& extra = "");
// A 24-bit gradient PNG carrying the ICC profile `profile`.
void WriteTaggedPng(const std::filesystem::path& file, const std::vector<uint8_t>& profile);
// Camera tags and an IPTC keyword, written by exiftool.
void TagAsCamera(const std::filesystem::path& file, int iso, const std::string& extra = "");

}  // namespace stillpix::test
