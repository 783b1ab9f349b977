// The state of the sparse simulator for one key representation: two maps that
// alternate as source and target of the rebuild passes, and the list of entry
// references that the in-place passes share out among the worker pool.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "fenn/src/bitwise/key_bits.hpp"
#include "fenn/src/quantum_execution/backend.hpp"
#include "fenn/src/runtime/worker_pool.hpp"
#include "fenn/src/sparse/amplitude.hpp"
#include "fenn/src/sparse/state_map.hpp"

namespace fenn::sparse {

// Every control is 1, tested in list order.
inline bool controls_hold(const uint64_t* words, Positions controls) noexcept {
  for (uint64_t control : controls)
    if (!bitwise::is_one(words, control)) return false;
  return true;
}

template <class Keys>
class SparseState {
 public:
  using Map = StateMap<Keys>;
  using Entry = typename Map::Entry;

  // |0...0> in the first map, the second empty. The seeds are the caller's
  // draws, the first map's first.
  SparseState(uint64_t words, uint64_t seed_a, uint64_t seed_b)
      : state_a_(words, seed_a), state_b_(words, seed_b) {
    const std::vector<uint64_t> zero(Keys::copied_words(words), 0);
    state_a_.insert(zero.data(), Unchanged{}, Amplitude{1.0, 0.0});
  }

  SparseState(SparseState&&) noexcept = default;
  SparseState& operator=(SparseState&&) noexcept = default;

  Map& current() noexcept { return a_is_current_ ? state_a_ : state_b_; }
  const Map& current() const noexcept { return a_is_current_ ? state_a_ : state_b_; }
  Map& other() noexcept { return a_is_current_ ? state_b_ : state_a_; }

  // Moves every entry of the current map through rule(words, amplitude,
  // target) into the other map, which then becomes current; the other map is
  // first grown to hold `expected` entries (by default as many as now).
  // Should the rule throw (memory exhausted), both maps are left empty and
  // whole.
  template <class Rule>
  void rebuild(Rule&& rule) {
    rebuild(current().size(), std::forward<Rule>(rule));
  }
  template <class Rule>
  void rebuild(std::size_t expected, Rule&& rule) {
    run_pass(expected, [&](Map& source, Map& target) {
      for (const Entry& entry : source) rule(Map::key_words(entry.first), entry.second, target);
    });
  }

  // The same, taking the entries in increasing key order (as unsigned
  // numbers), so that of several entries that insert one key the highest
  // wins whatever the table's order.
  template <class Rule>
  void rebuild_in_key_order(Rule&& rule) {
    run_pass(current().size(), [&](Map& source, Map& target) {
      std::vector<const Entry*> order;
      order.reserve(source.size());
      for (const Entry& entry : source) order.push_back(&entry);
      const uint64_t words = source.words();
      std::sort(order.begin(), order.end(), [words](const Entry* a, const Entry* b) {
        return key_less(Map::key_words(a->first), Map::key_words(b->first), words);
      });
      for (const Entry* entry : order) rule(Map::key_words(entry->first), entry->second, target);
    });
  }

  // rule(words, amplitude&) for every entry of the current map, in parallel;
  // no entry is added or removed.
  template <class Rule>
  void in_place(Rule&& rule) {
    const std::vector<Entry*>& list = references();
    runtime::parallel_for(list.size(), [&](uint64_t begin, uint64_t end) {
      for (uint64_t i = begin; i < end; ++i) rule(Map::key_words(list[i]->first), list[i]->second);
    });
  }

  // A gate that sends each controlled entry (K, a) to K' (bit t flipped) with
  // moved(b, a) and keeps kept(b, a) on K, both accumulated, K' first.
  template <class Moved, class Kept>
  void mixing_pass(uint64_t target, Positions controls, Moved moved, Kept kept) {
    rebuild([&](const uint64_t* words, Amplitude a, Map& out) {
      if (!controls_hold(words, controls)) return out.accumulate(words, Unchanged{}, a);
      const bool b = bitwise::is_one(words, target);
      out.accumulate(words, FlipBit{target}, moved(b, a));
      out.accumulate(words, Unchanged{}, kept(b, a));
    });
  }

  // A gate that only moves each controlled entry to K', with moved(b, a).
  // Accumulating gives the same map as inserting when the target is not a
  // control (no two contributions meet), and a result independent of the
  // table's order when it is one.
  template <class Moved>
  void moving_pass(uint64_t target, Positions controls, Moved moved) {
    rebuild([&](const uint64_t* words, Amplitude a, Map& out) {
      if (!controls_hold(words, controls)) return out.accumulate(words, Unchanged{}, a);
      out.accumulate(words, FlipBit{target}, moved(bitwise::is_one(words, target), a));
    });
  }

  // A diagonal gate: a controlled entry's amplitude becomes diagonal(b, a).
  template <class Diagonal>
  void diagonal_pass(uint64_t target, Positions controls, Diagonal diagonal) {
    in_place([&](const uint64_t* words, Amplitude& a) {
      if (controls_hold(words, controls)) a = diagonal(bitwise::is_one(words, target), a);
    });
  }

 private:
  // The entry list of the current map, built in its order when needed. A
  // rebuild pass records the entries it adds instead, which serves as the list
  // when it stays whole (nothing removed, no growth of the table); in-place
  // passes leave the table alone.
  struct References {
    std::vector<Entry*> list;
    bool valid = false;
    References() = default;
    References(References&& other) noexcept : list(std::move(other.list)) { other.valid = false; }
    References& operator=(References&& other) noexcept {
      list = std::move(other.list);
      valid = other.valid = false;
      return *this;
    }
  };

  const std::vector<Entry*>& references() {
    if (!references_.valid) {
      references_.list.clear();
      references_.list.reserve(current().size());
      for (Entry& entry : current()) references_.list.push_back(&entry);
      references_.valid = true;
    }
    return references_.list;
  }

  template <class Body>
  void run_pass(std::size_t expected, Body&& body) {
    references_.valid = false;
    Map& source = current();
    Map& target = other();
    target.reserve(expected);
    a_is_current_ = !a_is_current_;
    references_.list.clear();
    target.begin_log(references_.list);
    try {
      body(source, target);
    } catch (...) {
      target.end_log();
      source.clear();
      target.clear();
      throw;
    }
    references_.valid = target.end_log();
    source.clear();
  }

  Map state_a_;
  Map state_b_;
  bool a_is_current_ = true;
  References references_;
};

}  // namespace fenn::sparse
