// The per-pixel steps of edge classification, shared by the plain loops (classify_edges.cpp) and
// the fast ones (classify_edges_fast.cpp), so both run the same arithmetic. Internal to the engine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace stillpix::classify {

struct Offset {
    int dx, dy;
};
// Diagonals at distance 2, then axes at distance 3.
inline constexpr Offset kNeighbours[8] = {{-2, -2}, {2, 2},  {-2, 2}, {2, -2},
                                          {0, 3},   {0, -3}, {3, 0},  {-3, 0}};
inline constexpr int kFirstAxialNeighbour = 4;

// A provisional mark (3 strong, 4 weak) with too little company goes; otherwise its square becomes
// edge core (1) or edge (2).
inline void SettleMark(uint8_t* map, int w, int x, int y, int radius, int countCap, int keepAbove) {
    const std::size_t p = std::size_t(y) * w + x;
    const uint8_t cls = map[p];
    if (cls != 3 && cls != 4) return;
    int count = 0;
    for (int j = -radius; j <= radius && count < countCap; ++j)
        for (int i = -radius; i <= radius && count < countCap; ++i)
            if (map[std::size_t(y + j) * w + (x + i)] > 1) ++count;
    if (count <= keepAbove) {
        map[p] = 0;
        return;
    }
    const uint8_t settled = static_cast<uint8_t>(cls - 2);
    for (int j = -radius; j <= radius; ++j)
        for (int i = -radius; i <= radius; ++i) map[std::size_t(y + j) * w + (x + i)] = settled;
}

inline bool RingHasMark(const uint8_t* map, int w, int x, int y, int r) {
    for (int i = -r; i <= r; ++i) {
        if (map[std::size_t(y - r) * w + (x + i)] != 0 ||
            map[std::size_t(y + r) * w + (x + i)] != 0)
            return true;
    }
    for (int j = -r + 1; j <= r - 1; ++j) {
        if (map[std::size_t(y + j) * w + (x - r)] != 0 ||
            map[std::size_t(y + j) * w + (x + r)] != 0)
            return true;
    }
    return false;
}

// A marked pixel whose marks end inside a ring before `limit` is a small blob: cleared.
inline void ClearBlob(uint8_t* map, int w, int x, int y, int limit) {
    if (map[std::size_t(y) * w + x] == 0) return;
    for (int r = 2; r < limit; ++r) {
        if (RingHasMark(map, w, x, y, r)) continue;
        for (int j = -(r - 1); j <= r - 1; ++j)
            for (int i = -(r - 1); i <= r - 1; ++i) map[std::size_t(y + j) * w + (x + i)] = 0;
        return;
    }
}

}  // namespace stillpix::classify
