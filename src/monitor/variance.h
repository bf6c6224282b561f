// The size of a signed variance in milliseconds, defined for every stored value.
#pragma once
#include <cstdint>

// |value| as an unsigned number (the most negative value included).
inline uint64_t VarianceMagnitude(int64_t value) {
  return value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}
