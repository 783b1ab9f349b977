// A map from basis-state key to amplitude with a hash seed of its own. Keys
// are built straight into the map's storage from a source key and an edit of
// its words; an emptied map keeps its table (and key storage) for the next
// pass.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include <boost/unordered/unordered_flat_map.hpp>

#include "fenn/src/sparse/amplitude.hpp"
#include "fenn/src/sparse/basis_key.hpp"
#include "fenn/src/sparse/key_edit.hpp"

namespace fenn::sparse {

template <class Keys>
class StateMap {
 public:
  using Key = typename Keys::Key;
  using Table = boost::unordered_flat_map<Key, Amplitude, typename Keys::Hash, typename Keys::Equal>;
  using Entry = typename Table::value_type;

  StateMap(uint64_t words, uint64_t seed)
      : words_(words),
        table_(0, Keys::make_hash(seed, words), Keys::make_equal(words)),
        storage_(words) {}

  uint64_t words() const noexcept { return words_; }
  std::size_t size() const noexcept { return table_.size(); }

  // Iteration in the table's order.
  auto begin() noexcept { return table_.begin(); }
  auto end() noexcept { return table_.end(); }
  auto begin() const noexcept { return table_.begin(); }
  auto end() const noexcept { return table_.end(); }

  static const uint64_t* key_words(const Key& key) noexcept { return Keys::words(key); }

  // The hash this map gives a key with the given words.
  std::size_t hash_of(const uint64_t* source) {
    std::vector<uint64_t> padded(Keys::copied_words(words_), 0);
    std::memcpy(padded.data(), source, 8 * words_);
    Unchanged unchanged;
    const Key key = Keys::build(storage_, padded.data(), words_, unchanged);
    const std::size_t hash = table_.hash_function()(key);
    Keys::discard(storage_);
    return hash;
  }

  // The key of `source`'s words changed by `edit` gets `amplitude`; an
  // existing entry of that key is replaced.
  template <class Edit>
  void insert(const uint64_t* source, Edit&& edit, Amplitude amplitude) {
    auto [entry, inserted] = table_.try_emplace(build(source, edit), amplitude);
    if (inserted) return record(*entry);
    Keys::discard(storage_);
    entry->second = amplitude;
  }

  // The contribution is added to an existing entry, which goes when the sum
  // is negligible; without an entry it is stored whatever its magnitude.
  template <class Edit>
  void accumulate(const uint64_t* source, Edit&& edit, Amplitude contribution) {
    auto [entry, inserted] = table_.try_emplace(build(source, edit), contribution);
    if (inserted) return record(*entry);
    Keys::discard(storage_);
    entry->second = add(entry->second, contribution);
    if (negligible(entry->second)) {
      table_.erase(entry);
      log_intact_ = false;
    }
  }

  // From now on the address of every entry added is appended to `log`, until
  // `end_log`, which tells whether the addresses still hold their entries:
  // none was removed and the table did not grow (growing moves entries).
  void begin_log(std::vector<Entry*>& log) noexcept {
    log_ = &log;
    log_buckets_ = table_.bucket_count();
    log_intact_ = true;
  }
  bool end_log() noexcept {
    log_ = nullptr;
    return log_intact_ && table_.bucket_count() == log_buckets_;
  }

  // Makes room for `count` entries. The table's own reserve would also shrink
  // a larger table, so it is called only to grow.
  void reserve(std::size_t count) {
    if (count > table_.max_load()) table_.reserve(count);
  }

  // Empties the map, keeping its table and key storage.
  void clear() noexcept {
    table_.clear();
    storage_.reset();
  }

 private:
  void record(Entry& entry) {
    if (log_ != nullptr) log_->push_back(&entry);
  }

  template <class Edit>
  Key build(const uint64_t* source, Edit& edit) {
    return Keys::build(storage_, source, words_, edit);
  }

  uint64_t words_;
  Table table_;
  typename Keys::Storage storage_;
  std::vector<Entry*>* log_ = nullptr;
  std::size_t log_buckets_ = 0;
  bool log_intact_ = false;
};

}  // namespace fenn::sparse
