#pragma once
#include <cstdint>

// Which of the two customers an item belongs to: 0 the source (older edition),
// 1 the target (newer edition). Every per-customer control and table is indexed by it.
using CustomerIndex = std::int16_t;

inline constexpr CustomerIndex kSourceCustomer = 0;
inline constexpr CustomerIndex kTargetCustomer = 1;
