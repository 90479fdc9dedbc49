// Cutting a run into shards that add up to the whole: the file at position p of the run's
// ordered file list belongs to shard p mod N. Every host that builds the same list (the same
// folders and files given in the same order) therefore agrees on every shard, and N shards run
// anywhere, in any order, process each queued file exactly once.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stillpix {

struct RunShard {
    int index = 0;  // 0 .. count - 1
    int count = 1;
};

// "I/N" with 0 <= I < N; nothing, with a message in `error`, otherwise.
std::optional<RunShard> ParseRunShard(std::string_view text, std::string& error);

// The files of `shard` in their order.
std::vector<std::string> ShardFiles(const std::vector<std::string>& files, RunShard shard);

}  // namespace stillpix
