// The handles given to the host, and the value cells that future and dump
// handles share with their process.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "libplim/src/model.hpp"

namespace plim {

// A value shared by a process and one handle; it lives as long as the
// longer-lived of the two. Used from one thread at a time.
template <class T>
using ValueCell = std::shared_ptr<std::optional<T>>;

template <class T>
ValueCell<T> make_empty_cell() {
  return std::make_shared<std::optional<T>>();
}

}  // namespace plim

// The handle types carry the names the C declarations give them. Qubit and
// Future both begin with index, then pid: one reader serves both.
struct Qubit {
  uint64_t index = 0;
  uint64_t pid = 0;
  bool allocated = true;
  bool measured = false;
};

struct Future {
  uint64_t index = 0;
  uint64_t pid = 0;
  plim::ValueCell<int64_t> value;
};

struct Label {
  uint64_t index = 0;
  uint64_t pid = 0;
};

struct Dump {
  plim::ValueCell<plim::DumpData> value;
};
