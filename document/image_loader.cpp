#include "document/image_loader.h"

#include <new>
#include <system_error>
#include <utility>

namespace stillpix {

DecodedImage DecodeImage(const std::filesystem::path& path, const LoadOptions& options) {
    DecodedImage decoded;
    try {
        auto image = std::make_unique<CBitmapEx>();
        if (image->Load(path, options, &decoded.report, &decoded.error))
            decoded.image = std::move(image);
    } catch (const std::bad_alloc&) {
        decoded.image.reset();
        decoded.error = "not enough memory for the image";
    }
    return decoded;
}

void ImageLoader::Start(const std::filesystem::path& path, const LoadOptions& options,
                        PostTask post, std::function<void()> done) {
    Abandon();
    auto question = std::make_shared<Question>();
    question_ = question;
    LoadOptions threaded = options;
    if (options.askIcc) {
        threaded.askIcc = [question, post = std::move(post),
                           ask = options.askIcc](const std::string& name) {
            const bool posted = post([question, ask, name] {
                {
                    const std::lock_guard lock(question->mutex);
                    if (question->abandoned) return;
                }
                const IccAnswer answer = ask(name);
                const std::lock_guard lock(question->mutex);
                question->answer = answer;
                question->answered.notify_all();
            });
            std::unique_lock lock(question->mutex);
            if (!posted) question->abandoned = true;
            question->answered.wait(lock, [&] { return question->answer || question->abandoned; });
            return question->answer.value_or(IccAnswer{});
        };
    }
    running_.store(true);
    auto body = [this, path, done = std::move(done)](const LoadOptions& used) {
        result_ = DecodeImage(path, used);
        running_.store(false);
        if (done) done();
    };
    try {
        thread_ = std::thread([body, threaded] { body(threaded); });
    } catch (const std::system_error&) {
        body(options);  // no thread: this is the window's thread, so it asks directly
    }
}

DecodedImage ImageLoader::Take() {
    if (thread_.joinable()) thread_.join();
    question_.reset();
    return std::exchange(result_, DecodedImage{});
}

void ImageLoader::Abandon() {
    if (question_) {
        const std::lock_guard lock(question_->mutex);
        question_->abandoned = true;
        question_->answered.notify_all();
    }
    Take();
}

}  // namespace stillpix
