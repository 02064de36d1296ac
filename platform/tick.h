#pragma once
#include <cstdint>

namespace kyomat {
// Milliseconds from a steady clock as an unsigned 32-bit count that wraps (about 49.7 days).
std::uint32_t tick_count();
}  // namespace kyomat
