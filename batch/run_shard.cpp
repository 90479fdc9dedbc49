#include "batch/run_shard.h"

#include <charconv>

namespace stillpix {
namespace {

bool ParseCount(std::string_view text, int& out) {
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<RunShard> ParseRunShard(std::string_view text, std::string& error) {
    const auto slash = text.find('/');
    RunShard shard;
    if (slash == std::string_view::npos || !ParseCount(text.substr(0, slash), shard.index) ||
        !ParseCount(text.substr(slash + 1), shard.count) || shard.count < 1 ||
        shard.index >= shard.count) {
        error = "--shard expects I/N with 0 <= I < N (shard I of N, counted from 0), not \"" +
                std::string(text) + "\"";
        return std::nullopt;
    }
    return shard;
}

std::vector<std::string> ShardFiles(const std::vector<std::string>& files, RunShard shard) {
    std::vector<std::string> out;
    for (std::size_t p = static_cast<std::size_t>(shard.index); p < files.size();
         p += static_cast<std::size_t>(shard.count))
        out.push_back(files[p]);
    return out;
}

}  // namespace stillpix
