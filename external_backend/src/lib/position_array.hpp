// A list of positions as the closed library takes it: a fresh array of
// unsigned 32-bit numbers (the low 32 bits of each position), freed when the
// array goes out of scope right after the call.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace external_backend {

class PositionArray {
 public:
  explicit PositionArray(std::span<const uint64_t> positions);

  // Never null and 4-byte aligned; for an empty list it points to no
  // element and nothing is allocated.
  const uint32_t* data() const noexcept;
  uint32_t count() const noexcept { return static_cast<uint32_t>(values_.size()); }

 private:
  std::vector<uint32_t> values_;
};

}  // namespace external_backend
