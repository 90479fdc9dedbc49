#include "tests/faults/writers.h"

#include <cstdio>
#include <random>

#include "batch/batch_runner.h"
#include "codec/codec.h"
#include "document/noise_cleaner_doc.h"
#include "document/progress_dialog_model.h"
#include "platform/qsettings_store.h"
#include "settings/preset_table.h"
#include "settings/profile_store.h"
#include "tests/support/batch_record.h"
#include "tests/support/temp_folder.h"

namespace stillpix::test {

namespace fs = std::filesystem;

bool Writer::WriteOld(const fs::path& folder) {
    // Afresh: the store and the settings file merge into what they find.
    std::error_code ignored;
    fs::remove(folder / Target(), ignored);
    old_ = WriteOldVersion(folder) ? ReadFileBytes(folder / Target()) : std::vector<uint8_t>();
    return !old_.empty();
}

bool Writer::HoldsOld(const fs::path& folder) const {
    return ReadFileBytes(folder / Target()) == old_;
}

namespace {

// Noise does not compress: large files in every format. Made once for all the tests.
const std::vector<uint8_t>& RandomBytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(6u << 20);
        std::minstd_rand random(2);
        for (uint8_t& x : b) x = static_cast<uint8_t>(random());
        return b;
    }();
    return bytes;
}

CodecHandle NoiseImage(int width, int height) {
    CodecHandle h = cNewSession();
    BitmapInfoHeader header;
    header.width = width;
    header.height = height;
    header.bitCount = 24;
    const auto size = static_cast<std::ptrdiff_t>(BitmapStride(width, 24) * height);
    const std::vector<uint8_t> bits(RandomBytes().begin(), RandomBytes().begin() + size);
    if (h == nullptr || !cLoadDIBitmap(*h, header, bits)) return nullptr;
    return h;
}

constexpr int kOldSide = 16;

// ---- cSave ----

class CodecWriter final : public Writer {
public:
    CodecWriter(const char* extension, int code) : extension_(extension), code_(code) {}
    std::string Target() const override { return std::string("picture.") + extension_; }

    bool SaveNew(const fs::path& folder, std::string& error) override {
        CodecHandle h = NoiseImage(1600, 1200);
        if (h == nullptr) return error = "no image", false;
        const bool ok = cSave(*h, folder / Target(), code_);
        error = cGetLastError(*h);
        return ok;
    }

protected:
    bool WriteOldVersion(const fs::path& folder) override {
        CodecHandle h = NoiseImage(kOldSide, kOldSide);
        return h != nullptr && cSave(*h, folder / Target(), code_);
    }

private:
    const char* extension_;
    int code_;
};

// ---- the document's save and the batch runner's output ----

// Both filter a picture: a small old one or a larger new one, each "picture.jpg" in a folder of
// its own (the batch runner names results after them).
class FilteringWriter : public Writer {
public:
    FilteringWriter() {
        for (const auto& [file, side] : {std::pair{Old(), kOldSide}, std::pair{New(), 640}}) {
            fs::create_directories(file.parent_path());
            CodecHandle h = NoiseImage(side, side);
            sourcesOk_ = sourcesOk_ && h != nullptr && cSave(*h, file, 95);
        }
    }

    bool SaveNew(const fs::path& folder, std::string& error) override {
        return sourcesOk_ && Filter(New(), folder, error);
    }

protected:
    bool WriteOldVersion(const fs::path& folder) override {
        std::string error;
        return sourcesOk_ && Filter(Old(), folder, error);
    }
    // Filters `source` into `folder`.
    virtual bool Filter(const fs::path& source, const fs::path& folder, std::string& error) = 0;
    // Where the settings and the learned profiles live.
    fs::path Home() const { return scratch_.Path(); }

private:
    fs::path Old() const { return scratch_.Path() / "old" / "picture.jpg"; }
    fs::path New() const { return scratch_.Path() / "new" / "picture.jpg"; }

    TempFolder scratch_;
    bool sourcesOk_ = true;
};

// The window as a headless run needs it: questions answered yes, the progress dialog waited out.
class SilentWindow final : public DocumentWindow {
public:
    MessageAnswer Show(const UserMessage& message) override {
        if (message.kind == MessageKind::kError) lastError = message.text;
        return message.buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kYes;
    }
    bool RunProgressDialog(ProgressDialogModel& model) override {
        return RunProgressDialogHeadless(model, *doc);
    }
    CNoiseCleanerDoc* doc = nullptr;
    std::string lastError;
};

class DocumentSaveWriter final : public FilteringWriter {
public:
    std::string Target() const override { return "picture_filtered.jpg"; }

protected:
    bool Filter(const fs::path& source, const fs::path& folder, std::string& error) override {
        AppOptions options;
        LearnedProfileStore profiles(Home());
        SilentWindow window;
        CNoiseCleanerDoc doc({&options, nullptr, &profiles, nullptr}, window);
        window.doc = &doc;
        const bool ok = doc.OnOpenDocument(source) && doc.HasImage() && doc.Go() &&
                        doc.SaveDocument(folder / Target());
        error = window.lastError;
        return ok;
    }
};

class FailureReasons final : public BatchProgress {
public:
    void SetText(int, const std::string&) override {}
    void SetImagePosition(int) override {}
    void SetOverallPosition(int) override {}
    void Done() override {}
    void FileFinished(const BatchFileResult& result) override { last = result.error; }
    std::string last;
};

class BatchOutputWriter final : public FilteringWriter {
public:
    std::string Target() const override { return "picture.jpg"; }

protected:
    // One file into `folder` under its own name.
    bool Filter(const fs::path& source, const fs::path& folder, std::string& error) override {
        QSettingsStore store(Home() / "settings.conf");
        PresetTable presets;
        LearnedProfileStore profiles(Home());
        if (!BuildPresetTable(store, presets)) return error = "no presets", false;
        BatchRunOptions options;
        options.presets = &presets;
        options.profiles = &profiles;
        options.profileOptions.selfLearning = false;
        FailureReasons reasons;
        BatchJob job;
        // The job keeps a reference to its settings.
        const BatchSettings settings =
            BatchRecord({.destination = kOtherLocation, .path = folder, .suffix = ""});
        job.Prepare(settings, {source.string()});
        job.progress = &reasons;
        const bool ran = RunBatchJob(job, options, BatchStop{});
        error = reasons.last;
        return ran && job.processedList.size() == 1 && job.failedList.empty();
    }
};

// ---- the learned-profile file ----

LearnedProfileRecord Record(int i) {
    LearnedProfileRecord record;
    record.contributors = 1;
    std::snprintf(record.descriptor.make, sizeof record.descriptor.make, "Canon");
    std::snprintf(record.descriptor.model, sizeof record.descriptor.model, "Model %d", i);
    record.descriptor.isoSpeed = 100 + i;
    record.profile.bandCount = 4;
    for (ProfileBand& band : record.profile.bands) {
        band.binCount = 11;
        for (int k = 0; k < 11; ++k)
            for (int c = 0; c < 3; ++c)
                band.levels[k][c] = static_cast<int16_t>(10 + k + i % 50), band.counts[k][c] = 100;
    }
    return record;
}

class ProfileFileWriter final : public Writer {
public:
    std::string Target() const override { return kProfileFileName; }
    bool ReportsMessage() const override { return false; }

    bool SaveNew(const fs::path& folder, std::string&) override {
        // 1500 records of 1816 bytes: 2.7 MB.
        LearnedProfileStore store(folder);
        for (int i = 0; i < 1500; ++i)
            store.AddLearnedProfile("/photos/" + std::to_string(i) + ".jpg", Record(i));
        return store.SaveProfileStore();
    }

protected:
    bool WriteOldVersion(const fs::path& folder) override {
        LearnedProfileStore store(folder);
        store.AddLearnedProfile("/photos/old.jpg", Record(0));
        return store.SaveProfileStore();
    }
};

// ---- the settings file ----

class SettingsFileWriter final : public Writer {
public:
    std::string Target() const override { return "settings.conf"; }
    bool ReportsMessage() const override { return false; }

    bool SaveNew(const fs::path& folder, std::string&) override {
        // A raw value of 1 MB, stored escaped (about three times as long) in the text file.
        const std::vector<uint8_t> big(RandomBytes().begin(), RandomBytes().begin() + (1 << 20));
        return QSettingsStore(folder / Target()).WriteBytes("Options", "Big", big);
    }

protected:
    bool WriteOldVersion(const fs::path& folder) override {
        return QSettingsStore(folder / Target()).WriteText("Options", "Profile", "/home/user");
    }
};

}  // namespace

std::vector<std::string> WriterNames() {
    return {"Jpeg", "Png", "Tiff", "DocumentSave", "BatchOutput", "ProfileFile", "SettingsFile"};
}

std::unique_ptr<Writer> MakeWriter(const std::string& name) {
    if (name == "Jpeg") return std::make_unique<CodecWriter>("jpg", 95);
    if (name == "Png") return std::make_unique<CodecWriter>("png", kSaveCodePng);
    if (name == "Tiff") return std::make_unique<CodecWriter>("tif", kSaveCodeTiff);
    if (name == "DocumentSave") return std::make_unique<DocumentSaveWriter>();
    if (name == "BatchOutput") return std::make_unique<BatchOutputWriter>();
    if (name == "ProfileFile") return std::make_unique<ProfileFileWriter>();
    if (name == "SettingsFile") return std::make_unique<SettingsFileWriter>();
    return nullptr;
}

}  // namespace stillpix::test
