// Either a value or one error: the return type of every fallible internal
// operation (a small stand-in for C++23's std::expected).
#pragma once

#include <type_traits>
#include <utility>
#include <variant>

namespace plim {

template <class E>
struct Unexpected {
  E error;
};
template <class E>
Unexpected(E) -> Unexpected<E>;

template <class T, class E>
class Expected {
 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(Unexpected<E> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

  bool has_value() const noexcept { return state_.index() == 0; }
  explicit operator bool() const noexcept { return has_value(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const E& error() const& { return std::get<1>(state_); }
  E&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, E> state_;
};

// For operations that yield nothing on success.
template <class E>
class Expected<void, E> {
 public:
  Expected() = default;
  Expected(Unexpected<E> failure) : error_(std::move(failure.error)), failed_(true) {}

  bool has_value() const noexcept { return !failed_; }
  explicit operator bool() const noexcept { return !failed_; }
  const E& error() const& { return error_; }

 private:
  E error_{};
  bool failed_ = false;
};

}  // namespace plim
