#pragma once
// Fixed-size integer names and the engine's result code.
#include <cstdint>

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using u64 = std::uint64_t;
using i8 = std::int8_t;
using i16 = std::int16_t;
using i32 = std::int32_t;
using i64 = std::int64_t;

// The result of engine operations: a caller that gets a non-zero result stops and
// returns it unchanged; the failure is logged where it is detected.
enum GEResultEnum : int {
    GE_OK = 0,
    GE_FAIL = 1,
};
