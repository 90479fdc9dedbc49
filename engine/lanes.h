// Four 32-bit lanes through the compiler's vector extension (SSE2 on every x86-64), and the few
// helpers the fast stages share, so a per-pixel step reads the same on one pixel and on four.
// Internal to the engine.
#pragma once

#include <cstdint>
#include <cstring>

namespace stillpix {

using Lanes = int32_t __attribute__((vector_size(16)));
using FloatLanes = float __attribute__((vector_size(16)));
inline constexpr int kLanes = 4;

// Comparisons give a bool on plain integers and a lane mask on Lanes.
template <class V>
inline V Select(bool pick, V a, V b) {
    return pick ? a : b;
}
inline Lanes Select(Lanes mask, Lanes a, Lanes b) { return (a & mask) | (b & ~mask); }

// Four consecutive values of any integer type, widened (sign- or zero-extended).
template <class From>
inline Lanes LoadLanes(const From* p) {
    From v __attribute__((vector_size(sizeof(From) * kLanes)));
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Lanes);
}

// Four values narrowed to i16 by dropping the high bits (callers saturate first).
inline void StoreLanes(int16_t* p, Lanes v) {
    const auto narrow = __builtin_convertvector(v, int16_t __attribute__((vector_size(8))));
    std::memcpy(p, &narrow, sizeof narrow);
}

}  // namespace stillpix
