// The fixed-width pieces of the BIN form: a counter and a writer that the
// writers walk alike, and a reader over the caller's bytes that checks each
// field's length once before it loads the field.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "libplim/src/byte_buffer.hpp"
#include "libplim/src/encoding/utf8.hpp"
#include "libplim/src/encoding/decode_error.hpp"

namespace plim::encoding::bin {

inline constexpr std::size_t kIndex = 4;  // bytes of every variant index
inline constexpr std::size_t kWord = 8;   // bytes of every count, number and double

// A forged count may ask for anything: lists start with at most this much
// room and grow as their elements actually arrive.
inline constexpr std::size_t kMaxReserve = 4096;

template <class T>
inline T to_little_endian(T value) noexcept {
  if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
    auto bits = std::bit_cast<std::make_unsigned_t<T>>(value);
    if constexpr (sizeof(T) == 8) bits = __builtin_bswap64(bits);
    if constexpr (sizeof(T) == 4) bits = __builtin_bswap32(bits);
    return std::bit_cast<T>(bits);
  } else {
    return value;
  }
}

// The number of T among the alternatives of the variant V: the index that
// the BIN form writes for it. Readers and writers name variants by type
// through it, so the model's declaration order is the one table of numbers.
template <class V, class T, std::size_t I = 0>
consteval uint32_t index_of() {
  static_assert(I < std::variant_size_v<V>, "not an alternative");
  if constexpr (std::is_same_v<std::variant_alternative_t<I, V>, T>)
    return static_cast<uint32_t>(I);
  else
    return index_of<V, T, I + 1>();
}

// The writers are templates over their output, which is one of these two:
// Counter adds up what a walk would write, Writer writes it. Sizing a value
// and writing it are one walk over it, so they cannot disagree.
class Counter {
 public:
  std::size_t size() const noexcept { return size_; }

  void u8(uint8_t) noexcept { size_ += 1; }
  void boolean(bool) noexcept { size_ += 1; }
  void u32(uint32_t) noexcept { size_ += 4; }
  void u64(uint64_t) noexcept { size_ += 8; }
  void i64(int64_t) noexcept { size_ += 8; }
  void f64(double) noexcept { size_ += 8; }
  void string(std::string_view text) noexcept { size_ += kWord + text.size(); }
  template <class T>
  void list(std::span<const T> values) noexcept {
    size_ += kWord + values.size_bytes();
  }

 private:
  std::size_t size_ = 0;
};

// Fills room of a size that a Counter walk gave; a write past its end is a
// fault of the walk and stops the process rather than corrupt memory.
class Writer {
 public:
  Writer(uint8_t* start, std::size_t size) noexcept : p_(start), end_(start + size) {}

  bool full() const noexcept { return p_ == end_; }

  void u8(uint8_t value) noexcept { put(value); }
  void boolean(bool value) noexcept { u8(value ? 1 : 0); }
  void u32(uint32_t value) noexcept { put(value); }
  void u64(uint64_t value) noexcept { put(value); }
  void i64(int64_t value) noexcept { put(value); }
  void f64(double value) noexcept { put(std::bit_cast<uint64_t>(value)); }

  void string(std::string_view text) noexcept {
    u64(text.size());
    raw(text.data(), text.size());
  }

  // A count, then the elements back to back.
  template <class T>
  void list(std::span<const T> values) noexcept {
    u64(values.size());
    if constexpr (std::endian::native == std::endian::little) {
      raw(values.data(), values.size_bytes());
    } else {
      for (const T& value : values) put(value);
    }
  }

 private:
  template <class T>
  void put(T value) noexcept {
    value = to_little_endian(value);
    raw(&value, sizeof value);
  }
  void raw(const void* bytes, std::size_t count) noexcept {
    if (static_cast<std::size_t>(end_ - p_) < count) std::abort();
    if (count != 0) std::memcpy(p_, bytes, count);
    p_ += count;
  }

  uint8_t* p_;
  uint8_t* end_;
};

// The BIN size of `value`: what a walk of `write` over it adds up.
template <class T, class Write>
std::size_t counted_size(const T& value, Write write) {
  Counter counter;
  write(value, counter);
  return counter.size();
}

// Counts `value` with `write`, allocates exactly that once, and writes it.
template <class T, class Write>
ByteBuffer write_exact(const T& value, Write write) {
  const std::size_t size = counted_size(value, write);
  ByteBuffer out(size);
  Writer writer(out.append_uninitialized(size), size);
  write(value, writer);
  if (!writer.full()) std::abort();
  return out;
}

// Reports the first violation. Readers unwind with it to their entry point,
// which turns it into a DecodeError; the decoded parts are freed on the way.
struct Failure {
  std::string description;
};

[[noreturn]] void fail_short_input();
[[noreturn]] void fail_invalid_value(uint64_t found, std::string_view expected);
[[noreturn]] void fail_invalid_utf8();
[[noreturn]] void fail_variant_index(uint32_t found, uint32_t variants);

// Reads from the front of the caller's bytes without copying them.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> input) noexcept
      : p_(input.data()), end_(input.data() + input.size()) {}

  const uint8_t* position() const noexcept { return p_; }
  std::size_t remaining() const noexcept { return static_cast<std::size_t>(end_ - p_); }

  // Checks once that `count` bytes follow; the unchecked loads below may then
  // take them.
  void need(std::size_t count) const {
    if (remaining() < count) fail_short_input();
  }

  template <class T>
  T load() noexcept {
    T value;
    std::memcpy(&value, p_, sizeof value);
    p_ += sizeof value;
    return to_little_endian(value);
  }
  bool load_boolean() {
    const uint8_t byte = *p_++;
    if (byte > 1) fail_invalid_value(byte, "a boolean");
    return byte == 1;
  }
  double load_f64() noexcept { return std::bit_cast<double>(load<uint64_t>()); }

  uint8_t u8() { need(1); return load<uint8_t>(); }
  uint32_t u32() { need(4); return load<uint32_t>(); }
  uint64_t u64() { need(8); return load<uint64_t>(); }
  int64_t i64() { need(8); return load<int64_t>(); }
  double f64() { need(8); return load_f64(); }
  bool boolean() { need(1); return load_boolean(); }

  // A variant index below `variants`.
  uint32_t variant(uint32_t variants) {
    const uint32_t index = u32();
    if (index >= variants) fail_variant_index(index, variants);
    return index;
  }
  template <class V>
  uint32_t variant() {
    return variant(static_cast<uint32_t>(std::variant_size_v<V>));
  }

  std::optional<uint64_t> optional_u64() {
    const uint8_t tag = u8();
    if (tag == 0) return std::nullopt;
    if (tag != 1) fail_invalid_value(tag, "an optional tag 0 or 1");
    return u64();
  }

  std::string string() {
    const uint64_t length = u64();
    need(length);
    const char* text = reinterpret_cast<const char*>(p_);
    if (!is_valid_utf8({text, static_cast<std::size_t>(length)})) fail_invalid_utf8();
    p_ += length;
    return std::string(text, static_cast<std::size_t>(length));
  }

  // Checks once that `count` elements of `bytes` each follow.
  void need_elements(uint64_t count, std::size_t bytes) const {
    if (count > remaining() / bytes) fail_short_input();
  }

  // `count` fixed-width elements whose bytes need_elements() has checked.
  template <class T>
  void load_array(T* out, uint64_t count) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
      if (count != 0) std::memcpy(out, p_, count * sizeof(T));
      p_ += count * sizeof(T);
    } else {
      for (uint64_t i = 0; i < count; ++i) out[i] = load<T>();
    }
  }

  // A count, then that many fixed-width elements. All of them must stand in
  // the input before any room is taken, so memory never outgrows the input.
  template <class T>
  void list(std::vector<T>& out) {
    const uint64_t count = u64();
    need_elements(count, sizeof(T));
    out.resize(static_cast<std::size_t>(count));
    load_array(out.data(), count);
  }

  // How many elements of at least `min_bytes` each a list announced by `count`
  // may reserve ahead: never more than the input could still hold, nor more
  // than kMaxReserve.
  std::size_t reservation(uint64_t count, std::size_t min_bytes) const noexcept {
    return static_cast<std::size_t>(
        std::min<uint64_t>({count, kMaxReserve, remaining() / min_bytes}));
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

// Runs `read` over the whole input and hands back its value or its refusal.
template <class T, class Read>
Decoded<T> decode(std::span<const uint8_t> input, Read read) {
  try {
    Reader reader(input);
    return read(reader);
  } catch (Failure& failure) {
    return Unexpected<DecodeError>{DecodeError{std::move(failure.description)}};
  }
}

}  // namespace plim::encoding::bin
