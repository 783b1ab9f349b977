#include "external_backend/src/lib/position_array.hpp"

namespace external_backend {

namespace {

// The address handed out for an empty list: one past the end of an array,
// valid to pass and never to be read through.
const uint32_t kNoPositions[1] = {0};

}  // namespace

PositionArray::PositionArray(std::span<const uint64_t> positions) {
  if (positions.empty()) return;
  values_.reserve(positions.size());
  for (uint64_t position : positions) values_.push_back(static_cast<uint32_t>(position));
}

const uint32_t* PositionArray::data() const noexcept {
  return values_.empty() ? kNoPositions + 1 : values_.data();
}

}  // namespace external_backend
