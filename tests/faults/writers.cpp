#include "tests/faults/writers.h"

#include <cstring>
#include <random>

#include "batch/batch_runner.h"
#include "codec/codec.h"
#include "document/noise_cleaner_doc.h"
#include "document/progress_dialog_model.h"
#include "platform/qsettings_store.h"
#include "settings/app_settings.h"
#include "settings/preset_table.h"
#include "settings/profile_store.h"
#include "tests/faults/fault_support.h"

namespace stillpix::test {
namespace {

namespace fs = std::filesystem;

// Remembers the old file's bytes, so "reads as old" also means "byte for byte the same".
class RecordingWriter : public Writer {
public:
    bool WriteOld(const fs::path& folder) final {
        // Afresh: the store and the settings file merge into what they find.
        std::error_code ignored;
        fs::remove(folder / Target(), ignored);
        if (!WriteOldVersion(folder)) return false;
        old_ = ReadFileBytes(folder / Target());
        return !old_.empty();
    }
    bool ReadsAsOld(const fs::path& folder) final {
        return ReadFileBytes(folder / Target()) == old_ && ReadsBackAsOld(folder);
    }

protected:
    virtual bool WriteOldVersion(const fs::path& folder) = 0;
    virtual bool ReadsBackAsOld(const fs::path& folder) = 0;

private:
    std::vector<uint8_t> old_;
};

// ---- cSave ----

CodecHandle NoiseImage(int width, int height, uint32_t seed) {
    CodecHandle h = cNewSession();
    BitmapInfoHeader header;
    header.width = width;
    header.height = height;
    header.bitCount = 24;
    std::vector<uint8_t> bits(BitmapStride(width, 24) * static_cast<std::size_t>(height));
    std::minstd_rand random(seed);
    for (uint8_t& b : bits) b = static_cast<uint8_t>(random());
    if (h == nullptr || !cLoadDIBitmap(*h, header, bits)) return nullptr;
    return h;
}

constexpr int kOldSide = 16;

bool IsOldPicture(const fs::path& file) {
    CodecHandle h = cNewSession();
    ImageInfo info;
    return h != nullptr && cLoadImage(*h, file) && cGetImageInfo(*h, info) &&
           info.width == kOldSide && info.height == kOldSide;
}

// The sources the document and the batch runner read: a small old picture and a large new one,
// each as "picture.jpg" in a folder of its own (the batch runner names results after them).
class PictureSources {
public:
    PictureSources() {
        for (const auto& [folder, side] :
             {std::pair{OldFolder(), kOldSide}, std::pair{NewFolder(), 0}}) {
            fs::create_directories(folder);
            CodecHandle h = side ? NoiseImage(side, side, 1) : NoiseImage(1600, 1200, 2);
            ok_ = ok_ && h != nullptr && cSave(*h, folder / kName, 95);
        }
    }
    bool Ok() const { return ok_; }
    fs::path Old() const { return OldFolder() / kName; }
    fs::path New() const { return NewFolder() / kName; }
    static constexpr const char* kName = "picture.jpg";

private:
    fs::path OldFolder() const { return scratch_.Path() / "old"; }
    fs::path NewFolder() const { return scratch_.Path() / "new"; }

    TempFolder scratch_;
    bool ok_ = true;
};

class CodecWriter final : public RecordingWriter {
public:
    CodecWriter(const char* name, const char* extension, int code)
        : name_(name), extension_(extension), code_(code) {}
    std::string Name() const override { return name_; }
    std::string Target() const override { return std::string("picture.") + extension_; }

    bool SaveNew(const fs::path& folder, std::string& error) override {
        // Noise does not compress: several megabytes in every format.
        CodecHandle h = NoiseImage(1600, 1200, 2);
        if (h == nullptr) return error = "no image", false;
        const bool ok = cSave(*h, folder / Target(), code_);
        error = cGetLastError(*h);
        return ok;
    }

protected:
    bool WriteOldVersion(const fs::path& folder) override {
        CodecHandle h = NoiseImage(kOldSide, kOldSide, 1);
        return h != nullptr && cSave(*h, folder / Target(), code_);
    }
    bool ReadsBackAsOld(const fs::path& folder) override { return IsOldPicture(folder / Target()); }

private:
    const char* name_;
    const char* extension_;
    int code_;
};

// ---- the document's save ----

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

class DocumentSaveWriter final : public RecordingWriter {
public:
    std::string Name() const override { return "DocumentSave"; }
    std::string Target() const override { return "picture_filtered.jpg"; }
    // Filtered noise compresses far better than the raw noise the codec writers save.
    std::size_t SmallDiskBytes() const override { return 64u << 10; }

    bool SaveNew(const fs::path& folder, std::string& error) override {
        if (!sources_.Ok()) return error = "no source pictures", false;
        return OpenFilterAndSave(sources_.New(), folder / Target(), error);
    }

protected:
    bool WriteOldVersion(const fs::path& folder) override {
        std::string error;
        return sources_.Ok() && OpenFilterAndSave(sources_.Old(), folder / Target(), error);
    }
    bool ReadsBackAsOld(const fs::path& folder) override { return IsOldPicture(folder / Target()); }

private:
    bool OpenFilterAndSave(const fs::path& source, const fs::path& target, std::string& error) {
        AppOptions options;
        LearnedProfileStore profiles(sources_.Old().parent_path());
        SilentWindow window;
        CNoiseCleanerDoc doc({&options, nullptr, &profiles, nullptr}, window);
        window.doc = &doc;
        const bool ok =
            doc.OnOpenDocument(source) && doc.HasImage() && doc.Go() && doc.SaveDocument(target);
        error = window.lastError;
        return ok;
    }

    PictureSources sources_;
};

// ---- the batch runner's outputs ----

class FailureReasons final : public BatchProgress {
public:
    void SetText(int, const std::string&) override {}
    void SetImagePosition(int) override {}
    void SetOverallPosition(int) override {}
    void Done() override {}
    void FileFinished(const BatchFileResult& result) override { last = result.error; }
    std::string last;
};

class BatchOutputWriter final : public RecordingWriter {
public:
    std::string Name() const override { return "BatchOutput"; }
    std::string Target() const override { return PictureSources::kName; }
    std::size_t SmallDiskBytes() const override { return 256u << 10; }

    bool SaveNew(const fs::path& folder, std::string& error) override {
        if (!sources_.Ok()) return error = "no source pictures", false;
        return RunOn(sources_.New(), folder, error);
    }

protected:
    bool WriteOldVersion(const fs::path& folder) override {
        std::string error;
        return sources_.Ok() && RunOn(sources_.Old(), folder, error);
    }
    bool ReadsBackAsOld(const fs::path& folder) override { return IsOldPicture(folder / Target()); }

private:
    // One file into `folder` under its own name.
    bool RunOn(const fs::path& source, const fs::path& folder, std::string& error) {
        BatchSettings settings;
        settings.destination = kOtherLocation;
        std::memset(settings.destinationPath, 0, sizeof settings.destinationPath);
        std::strncpy(settings.destinationPath, folder.c_str(), kMaxBatchPathChars);
        std::memset(settings.suffix, 0, sizeof settings.suffix);
        settings.outputFormat = kFormatKeep;  // a JPEG source
        QSettingsStore store(sources_.Old().parent_path() / "settings.conf");
        PresetTable presets;
        LearnedProfileStore profiles(sources_.Old().parent_path());
        if (!BuildPresetTable(store, presets)) return error = "no presets", false;
        BatchRunOptions options;
        options.presets = &presets;
        options.profiles = &profiles;
        options.profileOptions.selfLearning = false;
        FailureReasons reasons;
        BatchJob job;
        job.Prepare(settings, {source.string()});
        job.progress = &reasons;
        const bool ran = RunBatchJob(job, options, BatchStop{});
        error = reasons.last;
        return ran && job.processedList.size() == 1 && job.failedList.empty();
    }

    PictureSources sources_;
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

class ProfileFileWriter final : public RecordingWriter {
public:
    std::string Name() const override { return "ProfileFile"; }
    std::string Target() const override { return kProfileFileName; }
    bool ReportsMessage() const override { return false; }

    bool SaveNew(const fs::path& folder, std::string& error) override {
        // 1500 records of 1816 bytes: 2.7 MB.
        LearnedProfileStore store(folder);
        for (int i = 0; i < 1500; ++i)
            store.AddLearnedProfile("/photos/" + std::to_string(i) + ".jpg", Record(i));
        if (store.SaveProfileStore()) return true;
        error = "the learned-profile file was not saved";
        return false;
    }

protected:
    bool WriteOldVersion(const fs::path& folder) override {
        LearnedProfileStore store(folder);
        store.AddLearnedProfile("/photos/old.jpg", Record(0));
        return store.SaveProfileStore();
    }
    bool ReadsBackAsOld(const fs::path& folder) override {
        LearnedProfileStore store(folder);
        return store.LoadProfileStore() && store.Count() == 1;
    }
};

// ---- the settings file ----

class SettingsFileWriter final : public RecordingWriter {
public:
    std::string Name() const override { return "SettingsFile"; }
    std::string Target() const override { return "settings.conf"; }

    bool SaveNew(const fs::path& folder, std::string& error) override {
        // A raw value of 3 MB, stored escaped in the text file.
        std::vector<uint8_t> big(3u << 20);
        std::minstd_rand random(3);
        for (uint8_t& b : big) b = static_cast<uint8_t>(random());
        QSettingsStore store(folder / Target());
        if (store.WriteBytes("Options", "Big", big)) return true;
        error = "the settings file was not written";
        return false;
    }

protected:
    bool WriteOldVersion(const fs::path& folder) override {
        QSettingsStore store(folder / Target());
        const auto bytes = EncodeAppSettings(AppSettings{});
        return store.WriteBytes("Options", "Settings",
                                std::vector<uint8_t>(bytes.begin(), bytes.end())) &&
               store.WriteText("Options", "Profile", "/home/user/Profiles");
    }
    bool ReadsBackAsOld(const fs::path& folder) override {
        QSettingsStore store(folder / Target());
        const auto bytes = EncodeAppSettings(AppSettings{});
        return store.ReadBytes("Options", "Settings") ==
                   std::vector<uint8_t>(bytes.begin(), bytes.end()) &&
               store.ReadText("Options", "Profile") == "/home/user/Profiles" &&
               !store.ReadBytes("Options", "Big");
    }
};

}  // namespace

std::vector<std::string> WriterNames() {
    return {"Jpeg", "Png", "Tiff", "DocumentSave", "BatchOutput", "ProfileFile", "SettingsFile"};
}

std::unique_ptr<Writer> MakeWriter(const std::string& name) {
    if (name == "Jpeg") return std::make_unique<CodecWriter>("Jpeg", "jpg", 95);
    if (name == "Png") return std::make_unique<CodecWriter>("Png", "png", kSaveCodePng);
    if (name == "Tiff") return std::make_unique<CodecWriter>("Tiff", "tif", kSaveCodeTiff);
    if (name == "DocumentSave") return std::make_unique<DocumentSaveWriter>();
    if (name == "BatchOutput") return std::make_unique<BatchOutputWriter>();
    if (name == "ProfileFile") return std::make_unique<ProfileFileWriter>();
    if (name == "SettingsFile") return std::make_unique<SettingsFileWriter>();
    return nullptr;
}

}  // namespace stillpix::test
