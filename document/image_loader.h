// The open step's decode on a thread of its own, so that the window goes on drawing while a large
// file decodes (a 24-megapixel JPEG takes over half a second). The embedded-profile prompt still
// belongs to the window's thread: the loader hands the question over and waits for the answer;
// the window never waits for the loader.
#pragma once

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "document/bitmap_ex.h"

namespace stillpix {

struct DecodedImage {
    std::unique_ptr<CBitmapEx> image;  // null when the decode failed
    LoadReport report;                 // the prompt's answer, failed decode or not
    std::string error;                 // why the decode failed
};

// Decodes `path` here (any thread): CBitmapEx::Load with `options`.
DecodedImage DecodeImage(const std::filesystem::path& path, const LoadOptions& options);

class ImageLoader {
public:
    // Runs a task on the window's thread; false when it cannot (the question is then answered No).
    using PostTask = std::function<bool(std::function<void()> task)>;

    ImageLoader() = default;
    ~ImageLoader() { Abandon(); }
    ImageLoader(const ImageLoader&) = delete;
    ImageLoader& operator=(const ImageLoader&) = delete;

    // Decodes `path` on a new thread (on this one, prompting directly, when none can be started).
    // `options.askIcc` runs on the window's thread through `post`. `done` is called on the
    // decoding thread once the result is ready. The previous load must have been taken.
    void Start(const std::filesystem::path& path, const LoadOptions& options, PostTask post,
               std::function<void()> done);
    // The decode has not finished yet.
    bool Running() const { return running_.load(); }
    // Waits for the thread (which has normally returned already) and hands over its result.
    DecodedImage Take();
    // Nobody wants the result: an unanswered prompt counts as No, the thread is joined, the
    // result dropped.
    void Abandon();

private:
    struct Question {
        std::mutex mutex;
        std::condition_variable answered;
        std::optional<IccAnswer> answer;
        bool abandoned = false;
    };

    std::thread thread_;
    std::atomic<bool> running_{false};
    std::shared_ptr<Question> question_;
    DecodedImage result_;
};

}  // namespace stillpix
