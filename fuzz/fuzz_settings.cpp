// Hostile values in the settings store, read as the program starts: the three option records,
// the profile folder, the batch record, the recent folders and the custom filters. What is read
// must store again unchanged (reading normalises once and for all).
//
// Input: byte 0 holds flags (bit i: give record i a correct checksum, so the fuzzer reaches the
// field checks), then values, each a 16-bit little-endian length and its bytes (length 0xFFFF:
// the value is absent): "Settings", "Settings2", "Settings3", "Batch", "Profile", "Recent1".."3",
// then custom filters as name and data pairs.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "fuzz/memory_store.h"
#include "settings/persisted_settings.h"
#include "settings/preset_table.h"
#include "settings/record_codec.h"

namespace {

using namespace stillpix;
using namespace stillpix::fuzz;

class Input {
public:
    Input(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    // The next value; false when the input is used up or the value is absent.
    bool Next(std::vector<uint8_t>& out) {
        if (size_ < 2) return size_ = 0, false;
        const std::size_t length = data_[0] | std::size_t{data_[1]} << 8;
        data_ += 2, size_ -= 2;
        if (length == 0xFFFF) return false;
        const std::size_t n = std::min(length, size_);
        out.assign(data_, data_ + n);
        data_ += n, size_ -= n;
        return true;
    }
    bool Done() const { return size_ == 0; }

private:
    const uint8_t* data_;
    std::size_t size_;
};

void FixChecksum(std::vector<uint8_t>& record, std::size_t size, std::size_t run) {
    if (record.size() != size) return;
    PutI32(record, 0, static_cast<int32_t>(RecordChecksum(record, run)));
}

template <class Record, std::size_t N>
void RequireStable(const std::array<uint8_t, N>& encoded,
                   bool (*decode)(std::span<const uint8_t>, Record&),
                   std::array<uint8_t, N> (*encode)(const Record&), const char* what) {
    Record again{};
    Require(decode(encoded, again), what);
    Require(encode(again) == encoded, what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1 || size > kMaxInputBytes) return -1;
    const uint8_t flags = data[0];
    Input input(data + 1, size - 1);
    MemoryStore store;
    struct Record {
        const char* name;
        std::size_t size, run;
    };
    const Record records[] = {{kSettingsValue, sizeof(AppSettings), kAppSettingsRun},
                              {kSettings2Value, sizeof(AppSettings2), kAppSettings2Run},
                              {kSettings3Value, sizeof(AppSettings3), kAppSettings3Run},
                              {kBatchValue, sizeof(BatchSettings), kBatchSettingsRun}};
    std::vector<uint8_t> value;
    for (int i = 0; i < 4; ++i) {
        if (!input.Next(value)) continue;
        if (flags & (1 << i)) FixChecksum(value, records[i].size, records[i].run);
        store.WriteBytes(kOptionsGroup, records[i].name, value);
    }
    const char* texts[] = {kProfileValue, "Recent1", "Recent2", "Recent3"};
    for (const char* name : texts)
        if (input.Next(value))
            store.WriteText(kOptionsGroup, name, std::string(value.begin(), value.end()));
    while (!input.Done()) {
        std::vector<uint8_t> name, filter;
        if (!input.Next(name) || !input.Next(filter)) continue;
        // A name with bytes the real store cannot hold (empty, NUL) is kept out, as it would be.
        if (name.empty() || std::memchr(name.data(), 0, name.size()) != nullptr) continue;
        store.WriteBytes(kFilterSettingsGroup, std::string(name.begin(), name.end()), filter);
    }

    const AppOptions options = LoadSettings(store, "/nonexistent/Profiles");
    Require(!options.profileFolder.empty(), "the profile folder is never empty");
    RequireStable(EncodeAppSettings(options.settings), DecodeAppSettings, EncodeAppSettings,
                  "Settings store stably");
    RequireStable(EncodeAppSettings2(options.settings2), DecodeAppSettings2, EncodeAppSettings2,
                  "Settings2 store stably");
    RequireStable(EncodeAppSettings3(options.settings3), DecodeAppSettings3, EncodeAppSettings3,
                  "Settings3 store stably");
    const BatchSettings batch = LoadBatchSettings(store, options.settings);
    RequireStable(EncodeBatchSettings(batch), DecodeBatchSettings, EncodeBatchSettings,
                  "Batch stores stably");

    const auto recent = LoadRecentFolders(store, options.settings3.recentLength);
    Require(recent.size() <= static_cast<std::size_t>(kMaxRecentFolders),
            "at most ten recent folders");

    PresetTable table;
    BuildPresetTable(store, table);
    Require(table.count > kCustomSlot && table.count <= kPresetSlots,
            "the preset table has 15..40 slots");
    for (int i = 0; i < table.count; ++i) {
        const FilterSettings& settings = table.slots[i].settings;
        Require(Utf8Length(table.slots[i].name) <= kMaxFilterNameChars,
                "filter names have at most 64 characters");
        FilterSettings again;
        Require(DecodeFilterSettings(EncodeFilterSettings(settings), again) && again == settings,
                "a filter from the store stores stably");
        ToNoiseFilterParams(settings);
    }
    return 0;
}
