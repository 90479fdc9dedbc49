// Edge classification, fast schedule. Same steps as the plain loops (ClassifyLevelPlain, the
// bit-exact reference), arranged differently: the marking runs its interior without bounds checks;
// each class map is swept on its own (no step of one map reads another), skipping unmarked bytes a
// word at a time; the rings are a 3 x 3 dilation done 16 bytes at a time.
#include <cstdlib>
#include <cstring>

#include "engine/classify_steps.h"
#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

using namespace classify;

template <class Sample>
struct Marker {
    int w = 0, h = 0;
    const Sample* py = nullptr;
    const Sample* pc[2] = {};
    uint8_t* yClass = nullptr;
    uint8_t* cClass[2] = {};
    const int32_t* ty = nullptr;
    const int32_t* tc[2] = {};
    bool colour = false;
    int firstChromaNeighbour = 0;
    std::ptrdiff_t offsets[8] = {};

    template <bool Checked>
    bool Inside(int x, int y, int n) const {
        if constexpr (!Checked) return true;
        const int qx = x + kNeighbours[n].dx;
        const int qy = y + kNeighbours[n].dy;
        return qx >= 0 && qx < w && qy >= 0 && qy < h;
    }

    // The channels do not read each other's maps, so each runs its neighbours alone and stops at
    // its first mark (the plain loop interleaves them and checks the class at every neighbour).
    template <bool Checked>
    void Mark(int x, int y, int bin) {
        const std::ptrdiff_t p = std::ptrdiff_t(y) * w + x;
        if (yClass[p] == 0) {
            const int32_t yp = py[p];
            const int32_t tY = ty[bin];
            for (int n = 0; n < 8; ++n) {
                if (!Inside<Checked>(x, y, n)) continue;
                const std::ptrdiff_t q = p + offsets[n];
                const int32_t e = tY - std::abs(int32_t(py[q]) - yp);
                if (e < (tY >> 3)) {
                    yClass[p] = 3;
                    yClass[q] = 3;
                    break;
                }
                if (e < (tY >> 2)) {
                    yClass[p] = 4;
                    if (yClass[q] == 0) yClass[q] = 4;
                    break;
                }
            }
        }
        if (!colour) return;
        for (int c = 0; c < 2; ++c) {
            if (cClass[c][p] != 0) continue;
            const int32_t cp = pc[c][p];
            const int32_t t = tc[c][bin];
            for (int n = firstChromaNeighbour; n < 8; ++n) {
                if (!Inside<Checked>(x, y, n)) continue;
                const std::ptrdiff_t q = p + offsets[n];
                const int32_t e = t - std::abs(int32_t(pc[c][q]) - cp);
                if (e < (t >> 10)) {
                    cClass[c][p] = 3;
                    cClass[c][q] = 3;
                    break;
                }
                if (e < (t >> 8)) {
                    cClass[c][p] = 4;
                    cClass[c][q] = 4;
                    break;
                }
            }
        }
    }
};

template <class Sample>
void MarkEdges(PyramidLevel<Sample>& level) {
    Marker<Sample> m;
    m.w = level.width;
    m.h = level.height;
    m.py = level.P(kResY);
    m.pc[0] = level.P(kResCr);
    m.pc[1] = level.P(kResCb);
    m.yClass = level.M(kLumaClassMap);
    m.cClass[0] = level.M(kCrClassMap);
    m.cClass[1] = level.M(kCbClassMap);
    m.ty = level.Thresholds(kChannelY);
    m.tc[0] = level.Thresholds(kChannelCr);
    m.tc[1] = level.Thresholds(kChannelCb);
    m.colour = !level.grey;
    m.firstChromaNeighbour = level.index == 0 ? kFirstAxialNeighbour : 0;
    for (int n = 0; n < 8; ++n)
        m.offsets[n] = std::ptrdiff_t(kNeighbours[n].dy) * m.w + kNeighbours[n].dx;

    constexpr int kReach = 3;  // farthest neighbour on either axis
    const int w = m.w;
    const int h = m.h;
    const PyramidLevel<Sample>* child = level.child;
    for (int y = 0; y < h; y += 2) {
        const Sample* binRow = child ? child->P(kSrcY) + std::size_t(y >> 1) * child->width
                                     : m.py + std::size_t(y) * w;
        const int shift = child ? 1 : 0;
        auto bin = [&](int x) { return PyramidLevel<Sample>::Bin(binRow[x >> shift]); };
        int x = (y / 2) % 2;
        if (y >= kReach && y + kReach < h) {
            for (; x < kReach && x < w; x += 2) m.template Mark<true>(x, y, bin(x));
            for (; x + kReach < w; x += 2) m.template Mark<false>(x, y, bin(x));
        }
        for (; x < w; x += 2) m.template Mark<true>(x, y, bin(x));
    }
}

// First x in [x, end) whose byte is `least` or more, else end. Class values are 0..4, so adding
// 0x80 - least to every byte of a word sets exactly the top bits of those at `least` or more and
// carries into no neighbour.
int NextAtLeast(const uint8_t* row, int x, int end, uint8_t least) {
    const uint64_t add = 0x0101010101010101ull * uint64_t(0x80 - least);
    for (; x + 8 <= end; x += 8) {
        uint64_t v;
        std::memcpy(&v, row + x, 8);
        if (((v + add) & 0x8080808080808080ull) != 0) break;
    }
    while (x < end && row[x] < least) ++x;
    return x;
}

void SettleMarks(uint8_t* map, int w, int h, int margin, int radius, int countCap, int keepAbove) {
    for (int y = margin; y < h - margin; ++y) {
        const uint8_t* row = map + std::size_t(y) * w;
        const int end = w - margin;
        for (int x = NextAtLeast(row, margin, end, 3); x < end; x = NextAtLeast(row, x + 1, end, 3))
            SettleMark(map, w, x, y, radius, countCap, keepAbove);
    }
}

template <class Sample>
void RemoveIsolatedMarks(PyramidLevel<Sample>& level) {
    const int r = level.index == 0 ? 1 : 2;
    SettleMarks(level.M(kLumaClassMap), level.width, level.height, r, r, 3, r);
    if (level.grey) return;
    SettleMarks(level.M(kCrClassMap), level.width, level.height, r, 1, 2, 1);
    SettleMarks(level.M(kCbClassMap), level.width, level.height, r, 1, 2, 1);
}

void ClearBlobs(uint8_t* map, int w, int h, int margin, int limit) {
    for (int y = margin; y < h - margin; ++y) {
        const uint8_t* row = map + std::size_t(y) * w;
        const int end = w - margin;
        for (int x = NextAtLeast(row, margin, end, 1); x < end; x = NextAtLeast(row, x + 1, end, 1))
            ClearBlob(map, w, x, y, limit);
    }
}

template <class Sample>
void RemoveSmallBlobs(PyramidLevel<Sample>& level) {
    const int m = 8 - level.index;
    if (!level.grey) {
        ClearBlobs(level.M(kCrClassMap), level.width, level.height, m, m);
        ClearBlobs(level.M(kCbClassMap), level.width, level.height, m, m);
    }
    if (level.index == 0) ClearBlobs(level.M(kLumaClassMap), level.width, level.height, m, m - 2);
}

// The plain sweep lets every centre (x, y) in [1, w - 2] x [1, h - 2] of class `from` give its zero
// neighbours `to`. No write makes or removes a `from`, so the order does not matter: a byte becomes
// `to` when it is 0 and a centre of class `from` lies in its 3 x 3 square.
bool HasCentre(const uint8_t* map, int w, int h, int x, int y, uint8_t from) {
    for (int yc = y - 1; yc <= y + 1; ++yc) {
        if (yc < 1 || yc > h - 2) continue;
        for (int xc = x - 1; xc <= x + 1; ++xc)
            if (xc >= 1 && xc <= w - 2 && map[std::size_t(yc) * w + xc] == from) return true;
    }
    return false;
}

using Bytes16 = uint8_t __attribute__((vector_size(16)));

Bytes16 Load16(const uint8_t* p) {
    Bytes16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void SpreadRing(uint8_t* map, int w, int h, uint8_t from, uint8_t to) {
    if (w < 3 || h < 3) return;
    Bytes16 fromV, toV;
    std::memset(&fromV, from, sizeof fromV);
    std::memset(&toV, to, sizeof toV);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = map + std::size_t(y) * w;
        const int firstCentreRow = y - 1 < 1 ? 1 : y - 1;
        const int lastCentreRow = y + 1 > h - 2 ? h - 2 : y + 1;
        auto spreadOne = [&](int x) {
            if (row[x] == 0 && HasCentre(map, w, h, x, y, from)) row[x] = to;
        };
        int x = 0;
        for (; x < 2 && x < w; ++x) spreadOne(x);
        // Columns 2 .. w - 3 have all three centre columns inside.
        for (; x + 16 <= w - 2; x += 16) {
            Bytes16 hit = {};
            for (int yc = firstCentreRow; yc <= lastCentreRow; ++yc) {
                const uint8_t* c = map + std::size_t(yc) * w + x;
                hit |= (Bytes16)(Load16(c - 1) == fromV) | (Bytes16)(Load16(c) == fromV) |
                       (Bytes16)(Load16(c + 1) == fromV);
            }
            Bytes16 v = Load16(row + x);
            v |= hit & (Bytes16)(v == Bytes16{}) & toV;
            std::memcpy(row + x, &v, sizeof v);
        }
        for (; x < w; ++x) spreadOne(x);
    }
}

template <class Sample>
void AddRings(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const bool colour = !level.grey;
    uint8_t* maps[3] = {level.M(kLumaClassMap), level.M(kCrClassMap), level.M(kCbClassMap)};
    const int mapCount = colour ? 3 : 1;
    for (int m = 0; m < mapCount; ++m) SpreadRing(maps[m], w, h, 1, 2);
    if (level.degree == 0 || level.index >= 2)
        for (int m = 0; m < mapCount; ++m) SpreadRing(maps[m], w, h, 2, 3);
    if (level.degree == 0 && level.index >= 1 && colour)
        for (int m = 1; m < 3; ++m) SpreadRing(maps[m], w, h, 3, 4);
}

}  // namespace

template <class Sample>
void ClassifyLevel(PyramidLevel<Sample>& level) {
    level.AllocateMaps();
    MarkEdges(level);
    RemoveIsolatedMarks(level);
    RemoveSmallBlobs(level);
    AddRings(level);
}

template void ClassifyLevel(PyramidLevel<int16_t>&);
template void ClassifyLevel(PyramidLevel<int32_t>&);

}  // namespace stillpix
