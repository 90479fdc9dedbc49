// Merging learned records by the store's own rules, for records of any number of contributors:
// learning one image is the case of a record with one contributor. Stores learned apart (on
// other machines, by other processes) merge this way.
#pragma once

#include <span>
#include <vector>

#include "settings/learned_profile_record.h"
#include "settings/profile_store.h"

namespace stillpix {

// Adds `record` to `records` as learning adds an image. Among the records of the same camera
// and ISO with a match score above 50, the first whose light value is less than 1 away is the
// candidate. Contributors already held by any of those records are not taken again; none left
// is kAlreadyLearned. The rest, at most as many as the candidate still has room for (99 in
// all), merge into the candidate (count-weighted means, rounded half up; kMerged) or, without
// a candidate, become a new record (kAppended); a full candidate refuses them (kRefused).
// A record stands for its contributors equally: taking t of its n contributors takes its
// levels with t/n of its counts (all of them when t = n, which is what learning does).
// A single contributor with id 0 (an image without a path) is always a record of its own.
LearnOutcome FoldLearnedRecord(std::vector<LearnedProfileRecord>& records,
                               const LearnedProfileRecord& record);

// The records of all `stores` folded into one list in one canonical order (most contributors
// first, then by their 1816 bytes), and returned in that order. The order of the stores and of
// the records within them therefore does not change the result: merging A with B gives the
// bytes of merging B with A. Merging the result with itself or with any of the stores it came
// from gives it back unchanged.
std::vector<LearnedProfileRecord> MergeLearnedStores(
    std::span<const std::vector<LearnedProfileRecord>> stores);

}  // namespace stillpix
