// Luminance smoothing of one level, fast schedule; same maps and planes as SmoothLumaPlain
// (smooth_luma.cpp). Directions: in rows where many pixels need one, the costs of every direction
// are taken for the whole row at once, without bounds checks and without dropping directions
// early (neither changes which one wins); the marking keeps its order. Majority: counts of the
// eight directions packed one per byte into a 64-bit word, slid along the rows; only a tie for
// the lead, which the raster order decides, counts again pixel by pixel. Mean: no clamping where
// every step lies inside the level.
#include <type_traits>

#include "engine/smooth_luma_steps.h"

namespace stillpix {

namespace {

using namespace luma;

// Squared steps stay below 2^23 for i16 samples; i32 samples need 64 bits.
template <class Sample>
using Cost = std::conditional_t<sizeof(Sample) == 2, int32_t, int64_t>;

// BestDirection of a pixel whose steps all lie inside the level (2 <= x < w - 2, likewise y).
template <int DirectionCount, class Sample>
inline int BestInside(const Sample* row, std::ptrdiff_t w, int x) {
    using C = Cost<Sample>;
    const int32_t yp = row[x];
    auto square = [&](std::ptrdiff_t offset) {
        const C d = C((int32_t(row[x + offset]) - yp) >> 6);
        return d * d;
    };
    C best = std::numeric_limits<int32_t>::max();
    int bestDirection = 0;
    for (int d = 0; d < DirectionCount; ++d) {
        const Offset o1 = DirectionOffset(d, 1), o2 = DirectionOffset(d, 2);
        const std::ptrdiff_t s1 = o1.dy * w + o1.dx, s2 = o2.dy * w + o2.dx;
        const C cost =
            d < 4 ? square(s1) + square(s2) + square(-s1) + square(-s2) : square(s2) + square(-s2);
        if (cost < best) {
            best = cost;
            bestDirection = d;
        }
    }
    return bestDirection;
}

template <int DirectionCount, class Sample>
void BestInsideRow(const Sample* row, int w, uint8_t* out) {
    for (int x = 2; x < w - 2; ++x)
        out[x] = static_cast<uint8_t>(BestInside<DirectionCount>(row, w, x));
}

template <int DirectionCount, class Sample>
void EstimateDirections(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const Sample* res = level.P(kResY);
    const uint8_t* cls = level.M(kLumaClassMap);
    uint8_t* dir = level.M(kDirectionMap);
    uint8_t* smoothed = level.M(kSmoothedDirectionMap);
    ScratchArray<uint8_t> rowBest;
    rowBest.Allocate(std::size_t(w));
    for (int rowParity = 0; rowParity < 2; ++rowParity)
        for (int y = rowParity; y < h; y += 2) {
            const std::size_t rowStart = std::size_t(y) * w;
            const bool insideRow = y >= 2 && y < h - 2;
            int wanted = 0;
            for (int x = 0; x < w; ++x)
                wanted += ((cls[rowStart + x] & 7) != 0) & (dir[rowStart + x] == 0);
            if (wanted == 0) continue;
            const bool wholeRow = insideRow && wanted * 4 >= w;
            if (wholeRow) BestInsideRow<DirectionCount>(res + rowStart, w, rowBest.Data());
            for (int colParity = 0; colParity < 2; ++colParity)
                for (int x = colParity; x < w; x += 2) {
                    const std::size_t p = rowStart + x;
                    if ((cls[p] & 7) == 0 || dir[p] != 0) continue;
                    // One pixel at a time, dropping directions early is the quicker way.
                    const int d = wholeRow && x >= 2 && x < w - 2
                                      ? rowBest.Data()[x]
                                      : BestDirection(res, w, h, x, y, DirectionCount);
                    MarkDirection(dir, smoothed, w, h, x, y, d);
                }
        }
}

// Direction v (1..8) as a count of one in byte v - 1.
constexpr uint64_t OneHot(uint8_t v) { return v >= 1 && v <= 8 ? uint64_t{1} << (8 * (v - 1)) : 0; }

template <class Sample>
void MajorityDirections(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const int r = level.index == 0 ? 1 : 2;
    const int majority = ((2 * r + 1) * (2 * r + 1) + 1) / 2;
    if (w < 2 * r + 1 || h < 2 * r + 1) return;
    const uint8_t* cls = level.M(kLumaClassMap);
    const uint8_t* dir = level.M(kDirectionMap);
    uint8_t* smoothed = level.M(kSmoothedDirectionMap);
    // Sliding counts pay only where most pixels are classed (not at level 0, as a rule).
    std::size_t classed = 0;
    for (std::size_t i = 0; i < level.Pixels(); ++i) classed += (cls[i] & 7) != 0;
    if (classed * 4 < level.Pixels()) {
        for (int y = r; y < h - r; ++y)
            for (int x = r; x < w - r; ++x)
                if ((cls[std::size_t(y) * w + x] & 7) != 0)
                    MajorityAt(dir, smoothed, w, x, y, r, majority);
        return;
    }
    ScratchArray<uint64_t> columns;  // counts of each column's 2r + 1 rows around y
    columns.Allocate(std::size_t(w));
    uint64_t* column = columns.Data();
    for (int x = 0; x < w; ++x) {
        uint64_t sum = 0;
        for (int j = 0; j <= 2 * r; ++j) sum += OneHot(dir[std::size_t(j) * w + x]);
        column[x] = sum;
    }
    for (int y = r; y < h - r; ++y) {
        if (y > r)
            for (int x = 0; x < w; ++x)
                column[x] += OneHot(dir[std::size_t(y + r) * w + x]) -
                             OneHot(dir[std::size_t(y - r - 1) * w + x]);
        uint64_t window = 0;
        for (int i = 0; i < 2 * r; ++i) window += column[i];
        for (int x = r; x < w - r; ++x) {
            window += column[x + r];
            const std::size_t p = std::size_t(y) * w + x;
            if ((cls[p] & 7) != 0) {
                int lead = 0, winner = 0, leaders = 0;
                for (int v = 1; v <= 8; ++v) {
                    const int count = int((window >> (8 * (v - 1))) & 0xFF);
                    const bool ahead = count > lead;
                    leaders = ahead ? 1 : leaders + (count == lead);
                    winner = ahead ? v : winner;
                    lead = ahead ? count : lead;
                }
                const uint8_t own = dir[p];
                const int ownCount =
                    own >= 1 && own <= 8 ? int((window >> (8 * (own - 1))) & 0xFF) : 0;
                if (ownCount < lead) {
                    if (leaders == 1) smoothed[p] = static_cast<uint8_t>(winner);
                    else MajorityAt(dir, smoothed, w, x, y, r, majority);
                }
            }
            window -= column[x - r];
        }
    }
}

template <class Sample>
void DirectionalMean(PyramidLevel<Sample>& level, bool below) {
    const int w = level.width;
    const int h = level.height;
    const int k = Radius(level, below);
    const uint8_t* cls = level.M(kLumaClassMap);
    for (int y = 0; y < h; ++y) {
        const bool insideRow = y >= k && y < h - k;
        for (int x = 0; x < w; ++x) {
            if (below && (cls[std::size_t(y) * w + x] & 7) == 0) continue;
            if (insideRow && x >= k && x < w - k) MeanAt<true>(level, below, k, x, y);
            else MeanAt<false>(level, below, k, x, y);
        }
    }
}

}  // namespace

template <class Sample>
void SmoothLuma(PyramidLevel<Sample>& level, bool below) {
    if (below) {
        if (level.degree == 2) EstimateDirections<4>(level);
        else EstimateDirections<8>(level);
        if (level.degree == 0) MajorityDirections(level);
    }
    DirectionalMean(level, below);
    if (below && level.index == 1 && level.parent != nullptr) HandDirectionsUp(level);
}

template void SmoothLuma(PyramidLevel<int16_t>&, bool);
template void SmoothLuma(PyramidLevel<int32_t>&, bool);

}  // namespace stillpix
