// An owned, growable byte array (data, capacity, length). Encoders write into
// it and the result records take it over, so encoded bytes are never copied on
// their way to the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string_view>

namespace plim {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(std::size_t capacity) { reserve(capacity); }

  ByteBuffer(ByteBuffer&& other) noexcept
      : data_(std::move(other.data_)), capacity_(other.capacity_), size_(other.size_) {
    other.capacity_ = other.size_ = 0;
  }
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    data_ = std::move(other.data_);
    capacity_ = other.capacity_;
    size_ = other.size_;
    other.capacity_ = other.size_ = 0;
    return *this;
  }
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  const uint8_t* data() const noexcept { return data_.get(); }
  uint8_t* data() noexcept { return data_.get(); }
  std::size_t size() const noexcept { return size_; }
  std::size_t capacity() const noexcept { return capacity_; }
  bool empty() const noexcept { return size_ == 0; }
  std::span<const uint8_t> bytes() const noexcept { return {data_.get(), size_}; }
  std::string_view view() const noexcept {
    return {reinterpret_cast<const char*>(data_.get()), size_};
  }

  // Makes room for at least `capacity` bytes in total; never shrinks. The
  // bytes live in malloc'ed memory so that growing can use realloc, which
  // moves large blocks by remapping their pages instead of copying them.
  void reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    void* grown = std::realloc(data_.get(), capacity);
    if (grown == nullptr) throw std::bad_alloc();
    (void)data_.release();
    data_.reset(static_cast<uint8_t*>(grown));
    capacity_ = capacity;
  }

  void push_back(uint8_t byte) {
    if (size_ == capacity_) grow(size_ + 1);
    data_.get()[size_++] = byte;
  }

  void append(const void* bytes, std::size_t count) {
    if (count == 0) return;
    if (capacity_ - size_ < count) grow(size_ + count);
    std::memcpy(data_.get() + size_, bytes, count);
    size_ += count;
  }
  void append(std::string_view text) { append(text.data(), text.size()); }

  // Extends the buffer by `count` bytes left for the caller to fill, and
  // returns where they start: fixed-size writers fill reserved room in place.
  uint8_t* append_uninitialized(std::size_t count) {
    if (capacity_ - size_ < count) grow(size_ + count);
    uint8_t* start = data_.get() + size_;
    size_ += count;
    return start;
  }

  void clear() noexcept { size_ = 0; }

 private:
  // A write that does not fit grows the buffer to the larger of what it needs
  // and twice its capacity.
  void grow(std::size_t needed) {
    std::size_t doubled = capacity_ * 2;
    reserve(needed > doubled ? needed : doubled);
  }

  struct FreeBytes {
    void operator()(uint8_t* bytes) const noexcept { std::free(bytes); }
  };
  std::unique_ptr<uint8_t, FreeBytes> data_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
};

}  // namespace plim
