// The machine-readable report of a run: one JSON object a line for each file that was
// processed or failed, so that a run cut into shards on many hosts can be checked and resumed:
//   {"source":"/p/a.jpg","output":"/p/Filtered/a_filtered.jpg","status":"processed",
//    "profile":"measured","seconds":1.204,"error":null}
// "status" is "processed" or "failed", "profile" "learned", "measured" or null (failed before
// its profile), "output" null when no output path could be made, "error" null unless failed.
// Paths are bytes: valid UTF-8 is written as it is, every other byte b as the lone surrogate
// \udcXX (XX = b), as Python's "surrogateescape" does, so any path reads back exactly.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "batch/batch_job.h"

namespace stillpix {

// The line for one file, with its newline.
std::string ReportLine(const BatchFileResult& result);
// False unless `line` (without its newline) is one report line.
bool ParseReportLine(std::string_view line, BatchFileResult& out);

// The sources that `report` lists as processed (a missing report lists none). False with a
// message when it cannot be read or holds a line that is not a report line; a last line cut
// short (no newline: its run was killed while writing) is ignored, so that file is redone.
bool ReadProcessedSources(const std::filesystem::path& report, std::set<std::string>& out,
                          std::string& error);

}  // namespace stillpix
