// Edge classes of Y, Cr and Cb for one level: quincunx marking, removal of isolated marks and
// small blobs, then rings around the edge cores. The plain loops: the bit-exact reference of
// ClassifyLevel (classify_edges_fast.cpp), kept simple to read and to check.
#include <cstdlib>

#include "engine/classify_steps.h"
#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

using namespace classify;

template <class Sample>
void MarkEdges(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const Sample* py = level.P(kResY);
    const Sample* pc[2] = {level.P(kResCr), level.P(kResCb)};
    uint8_t* yClass = level.M(kLumaClassMap);
    uint8_t* cClass[2] = {level.M(kCrClassMap), level.M(kCbClassMap)};
    const int32_t* ty = level.Thresholds(kChannelY);
    const int32_t* tc[2] = {level.Thresholds(kChannelCr), level.Thresholds(kChannelCb)};
    const bool colour = !level.grey;
    const int firstChromaNeighbour = level.index == 0 ? kFirstAxialNeighbour : 0;

    for (int y = 0; y < h; y += 2) {
        for (int x = (y / 2) % 2; x < w; x += 2) {
            const std::size_t p = std::size_t(y) * w + x;
            const int32_t yp = py[p];
            const int bin = level.BinAt(x, y, yp);
            const int32_t tY = ty[bin];
            for (int n = 0; n < 8; ++n) {
                const int qx = x + kNeighbours[n].dx;
                const int qy = y + kNeighbours[n].dy;
                if (qx < 0 || qx >= w || qy < 0 || qy >= h) continue;
                const std::size_t q = std::size_t(qy) * w + qx;
                if (yClass[p] == 0) {
                    const int32_t e = tY - std::abs(int32_t(py[q]) - yp);
                    if (e < (tY >> 3)) {
                        yClass[p] = 3;
                        yClass[q] = 3;
                    } else if (e < (tY >> 2)) {
                        yClass[p] = 4;
                        if (yClass[q] == 0) yClass[q] = 4;
                    }
                }
                if (!colour || n < firstChromaNeighbour) continue;
                for (int c = 0; c < 2; ++c) {
                    if (cClass[c][p] != 0) continue;
                    const int32_t t = tc[c][bin];
                    const int32_t e = t - std::abs(int32_t(pc[c][q]) - int32_t(pc[c][p]));
                    if (e < (t >> 10)) {
                        cClass[c][p] = 3;
                        cClass[c][q] = 3;
                    } else if (e < (t >> 8)) {
                        cClass[c][p] = 4;
                        cClass[c][q] = 4;
                    }
                }
            }
        }
    }
}

template <class Sample>
void RemoveIsolatedMarks(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const int r = level.index == 0 ? 1 : 2;
    const bool colour = !level.grey;
    uint8_t* yClass = level.M(kLumaClassMap);
    uint8_t* cr = level.M(kCrClassMap);
    uint8_t* cb = level.M(kCbClassMap);
    for (int y = r; y < h - r; ++y) {
        for (int x = r; x < w - r; ++x) {
            SettleMark(yClass, w, x, y, r, 3, r);
            if (!colour) continue;
            SettleMark(cr, w, x, y, 1, 2, 1);
            SettleMark(cb, w, x, y, 1, 2, 1);
        }
    }
}

template <class Sample>
void RemoveSmallBlobs(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const int m = 8 - level.index;
    const bool colour = !level.grey;
    const bool luma = level.index == 0;
    if (!colour && !luma) return;
    for (int y = m; y < h - m; ++y) {
        for (int x = m; x < w - m; ++x) {
            if (colour) {
                ClearBlob(level.M(kCrClassMap), w, x, y, m);
                ClearBlob(level.M(kCbClassMap), w, x, y, m);
            }
            if (luma) ClearBlob(level.M(kLumaClassMap), w, x, y, m - 2);
        }
    }
}

// One raster sweep: every pixel of class `from` gives its zero neighbours class `to`.
void SpreadRing(uint8_t* map, int w, int h, uint8_t from, uint8_t to) {
    for (int y = 1; y < h - 1; ++y) {
        for (int x = 1; x < w - 1; ++x) {
            if (map[std::size_t(y) * w + x] != from) continue;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    uint8_t& v = map[std::size_t(y + j) * w + (x + i)];
                    if (v == 0) v = to;
                }
        }
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
void ClassifyLevelPlain(PyramidLevel<Sample>& level) {
    level.AllocateMaps();
    MarkEdges(level);
    RemoveIsolatedMarks(level);
    RemoveSmallBlobs(level);
    AddRings(level);
}

template void ClassifyLevelPlain(PyramidLevel<int16_t>&);
template void ClassifyLevelPlain(PyramidLevel<int32_t>&);

}  // namespace stillpix
