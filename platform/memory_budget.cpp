#include "platform/memory_budget.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace stillpix {
namespace {

std::atomic<uint64_t> testLimit{0};

// The first number of a one-line file ("max" and unreadable files give nothing).
bool ReadNumber(const std::string& file, uint64_t& value) {
    std::ifstream in(file);
    std::string word;
    if (!(in >> word) || word.empty() || word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoull(word);
    return true;
}

// "Key:   123 kB" of a /proc file, in bytes.
bool ReadProcField(const char* file, const std::string& key, uint64_t& bytes) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, key.size() + 1, key + ":") != 0) continue;
        std::istringstream fields(line.substr(key.size() + 1));
        uint64_t kib = 0;
        if (!(fields >> kib)) return false;
        bytes = kib * 1024;
        return true;
    }
    return false;
}

uint64_t Headroom(uint64_t limit, uint64_t usage) { return limit > usage ? limit - usage : 0; }

// Every cgroup from this process's own up to the root limits it; the tightest one counts.
uint64_t CgroupHeadroom() {
    uint64_t least = UINT64_MAX;
    std::ifstream in("/proc/self/cgroup");
    for (std::string line; std::getline(in, line);) {
        const std::size_t first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        std::string path = line.substr(second + 1);
        const bool v2 = controllers.empty();
        const bool v1 = ("," + controllers + ",").find(",memory,") != std::string::npos;
        if (!v2 && !v1) continue;
        const std::string root = v2 ? "/sys/fs/cgroup" : "/sys/fs/cgroup/memory";
        const char* limitName = v2 ? "/memory.max" : "/memory.limit_in_bytes";
        const char* usageName = v2 ? "/memory.current" : "/memory.usage_in_bytes";
        for (;;) {
            // Inside a container the own path may not exist under the mount: its root is ours.
            const std::string dir = root + (path == "/" ? "" : path);
            uint64_t limit = 0, usage = 0;
            if (ReadNumber(dir + limitName, limit) && ReadNumber(dir + usageName, usage))
                least = std::min(least, Headroom(limit, usage));
            if (path.empty() || path == "/") break;
            const std::size_t slash = path.rfind('/');
            path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
        }
    }
    return least;
}

uint64_t AddressSpaceHeadroom() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return UINT64_MAX;
    uint64_t used = 0;
    ReadProcField("/proc/self/status", "VmSize", used);
    return Headroom(limit.rlim_cur, used);
}

}  // namespace

uint64_t AvailableMemory() {
    uint64_t available = UINT64_MAX;
    if (uint64_t system = 0; ReadProcField("/proc/meminfo", "MemAvailable", system))
        available = system;
    available = std::min({available, CgroupHeadroom(), AddressSpaceHeadroom()});
    if (const uint64_t limit = testLimit.load(); limit != 0) available = std::min(available, limit);
    return available;
}

std::string FormatBytes(uint64_t bytes, bool roundUp) {
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    double value = static_cast<double>(bytes);
    int unit = -1;
    while (value >= 1024 && unit < 3) value /= 1024, ++unit;
    const double tenths = roundUp ? std::ceil(value * 10) : std::floor(value * 10);
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", tenths / 10, kUnits[unit]);
    return text;
}

std::string MemoryRefusal(uint64_t needs, uint64_t available) {
    return "needs " + FormatBytes(needs, true) + ", " + FormatBytes(available) + " available";
}

bool FitsInMemory(uint64_t needs, std::string& error) {
    const uint64_t available = AvailableMemory();
    if (needs <= available) return true;
    error = MemoryRefusal(needs, available);
    return false;
}

void LimitAvailableMemoryForTesting(uint64_t bytes) { testLimit.store(bytes); }

}  // namespace stillpix
