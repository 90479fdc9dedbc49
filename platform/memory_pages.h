// The process's dealings with the system's pages: large blocks on transparent huge pages, and
// pages of a block handed back while the block itself lives on.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace stillpix {

// GLIBC_TUNABLES extended by glibc's malloc tunable that advises transparent huge pages on its
// large blocks, from the current value (null when unset); nothing when the value already
// decides that tunable, so a user's own choice stands.
std::optional<std::string> TunablesWithHugePages(const char* current);

// Starts this program again in place, once, with TunablesWithHugePages in its environment:
// glibc reads its tunables only at start-up. Returns when there is nothing to do or the start
// failed; the program then runs on as it is.
void RestartWithHugePages(char** argv);

// Gives the whole pages inside [begin, begin + bytes) back to the system; they read as zeros
// afterwards. For rows of an image that nobody reads again, while the image's block lives on.
void ReleasePages(const void* begin, std::size_t bytes);

}  // namespace stillpix
