// UTF-8 validation for the strings that the BIN reader takes.
#pragma once

#include <string_view>

namespace plim::encoding::bin {

// True when `text` is well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF, no cut sequence.
bool is_valid_utf8(std::string_view text) noexcept;

}  // namespace plim::encoding::bin
