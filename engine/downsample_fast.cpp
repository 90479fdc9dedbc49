// The 3 x 3 box downsampling between levels, fast schedule. The same sums and means as the plain
// loops (DownsampleLevelPlain, the bit-exact reference), arranged differently: inside the level
// every box has three columns, so the mean divides by a constant (a multiply, not a division),
// and the column sums start from the first row instead of from zero.
#include <algorithm>
#include <vector>

#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

// One child row from the column sums of its `Rows` parent rows (1 only for a one-row parent).
template <class Sample, int Rows>
void MeanRow(const typename Pipeline<Sample>::Wide* columnSums, int pw, int cw, Sample* out) {
    auto border = [&](int x) {
        const int left = std::max(0, 2 * x - 1);
        const int right = std::min(pw - 1, 2 * x + 1);
        typename Pipeline<Sample>::Wide sum = 0;
        for (int i = left; i <= right; ++i) sum += columnSums[i];
        out[x] = BoxMean<Sample>(sum, Rows * (right - left + 1));
    };
    border(0);
    int x = 1;
    for (; x < cw && 2 * x + 1 < pw; ++x)
        out[x] = BoxMean<Sample>(columnSums[2 * x - 1] + columnSums[2 * x] + columnSums[2 * x + 1],
                                 Rows * 3);
    for (; x < cw; ++x) border(x);
}

}  // namespace

template <class Sample>
void DownsampleLevel(const PyramidLevel<Sample>& parent, PyramidLevel<Sample>& child,
                     bool withResults) {
    using Wide = typename Pipeline<Sample>::Wide;
    child.width = HalfUp(parent.width);
    child.height = HalfUp(parent.height);
    child.AllocatePlanes(withResults);
    const int pw = parent.width;
    const int ph = parent.height;
    const int cw = child.width;
    std::vector<Wide> columnSums(static_cast<std::size_t>(pw));
    for (int c = 0; c < 3; ++c) {
        const Sample* src = parent.P(Plane(kSrcY + c));
        Sample* out = child.P(Plane(kSrcY + c));
        for (int y = 0; y < child.height; ++y) {
            const int top = std::max(0, 2 * y - 1);
            const int bottom = std::min(ph - 1, 2 * y + 1);
            const Sample* first = src + std::size_t(top) * pw;
            for (int x = 0; x < pw; ++x) columnSums[x] = first[x];
            for (int j = top + 1; j <= bottom; ++j) {
                const Sample* row = src + std::size_t(j) * pw;
                for (int x = 0; x < pw; ++x) columnSums[x] += row[x];
            }
            Sample* o = out + std::size_t(y) * cw;
            switch (bottom - top + 1) {
                case 3: MeanRow<Sample, 3>(columnSums.data(), pw, cw, o); break;
                case 2: MeanRow<Sample, 2>(columnSums.data(), pw, cw, o); break;
                default: MeanRow<Sample, 1>(columnSums.data(), pw, cw, o); break;
            }
        }
        if (withResults) std::copy_n(out, child.Pixels(), child.P(Plane(kResY + c)));
    }
}

template void DownsampleLevel(const PyramidLevel<int16_t>&, PyramidLevel<int16_t>&, bool);
template void DownsampleLevel(const PyramidLevel<int32_t>&, PyramidLevel<int32_t>&, bool);

}  // namespace stillpix
