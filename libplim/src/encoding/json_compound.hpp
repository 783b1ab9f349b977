// The shapes that every encoded type is read in: records (object or array
// form), enumerations (a name, or a one-key object), fixed-size arrays, and a
// whole document. Types describe themselves with a shape and a callback that
// reads one field or one variant's content at the reader's position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "libplim/src/encoding/decode_error.hpp"
#include "libplim/src/encoding/json_reader.hpp"

namespace plim::encoding {

// The index of `name` in `names`, or names.size().
inline std::size_t find_name(std::span<const std::string_view> names, std::string_view name) {
  std::size_t i = 0;
  for (; i != names.size(); ++i) {
    const std::string_view candidate = names[i];
    if (candidate.size() != name.size()) continue;
    // Names are short: a plain loop beats a call to memcmp.
    std::size_t k = 0;
    while (k != name.size() && candidate[k] == name[k]) ++k;
    if (k == name.size()) break;
  }
  return i;
}

// The entries of an object, from its `{` up to its `}`, which is left
// unconsumed. `entry(key)` reads the colon and the value after each key.
template <class Entry>
bool read_object_entries(JsonReader& reader, Entry&& entry) {
  if (!reader.enter()) return false;
  bool first = true;
  for (;;) {
    const JsonReader::Next next = reader.next_key(first);
    if (next == JsonReader::Next::Error) return false;
    if (next == JsonReader::Next::End) return true;
    std::string_view key;
    if (!reader.read_key(key) || !entry(key)) return false;
  }
}

// A JSON array read element by element into a list that starts empty and
// grows: nothing is reserved on the strength of the input.
template <class T, class ReadOne>
bool read_list(JsonReader& reader, std::vector<T>& out, ReadOne&& read_one) {
  return reader.read_array("a sequence", [&] {
    T value{};
    if (!read_one(value)) return false;
    out.push_back(std::move(value));
    return true;
  });
}

inline bool read_u64_list(JsonReader& reader, std::vector<uint64_t>& out) {
  return read_list(reader, out, [&](uint64_t& value) { return reader.read_u64(value); });
}

// A record's field names, in declaration order, and every text that the
// reader and the writer take from them.
class RecordShape {
 public:
  // A record type: "struct Metrics".
  RecordShape(std::string_view type, std::span<const std::string_view> field_names,
              uint32_t optional_fields = 0)
      : RecordShape("struct " + std::string(type), "", field_names, optional_fields) {}
  // The fields of the record variant `name` of the enumeration `type`:
  // "struct variant Instruction::Alloc", written inside `{"Alloc":…}`.
  RecordShape(std::string_view type, std::string_view name,
              std::span<const std::string_view> field_names)
      : RecordShape("struct variant " + std::string(type) + "::" + std::string(name),
                    "{\"" + std::string(name) + "\":", field_names, 0) {
    close_ = "}}";
  }

  std::span<const std::string_view> fields;
  uint32_t optional = 0;  // bit i: field i is absent when its key is missing
  std::string expected;              // "struct Metrics"
  std::string expected_with_length;  // "struct Metrics with 8 elements"

  // What the writer puts before the value of field i: the opening of the
  // object (and of the variant) with the first key, or a comma and the key.
  std::string_view key(std::size_t i) const { return keys_[i]; }
  // What closes the object (and the variant).
  std::string_view close() const { return close_; }

 private:
  RecordShape(std::string expected_text, std::string opening,
              std::span<const std::string_view> field_names, uint32_t optional_fields)
      : fields(field_names),
        optional(optional_fields),
        expected(std::move(expected_text)),
        expected_with_length(expected + " with " + std::to_string(field_names.size()) +
                             (field_names.size() == 1 ? " element" : " elements")) {
    for (std::size_t i = 0; i != field_names.size(); ++i)
      keys_.push_back((i == 0 ? opening + "{\"" : std::string(",\"")) +
                      std::string(field_names[i]) + "\":");
  }

  std::vector<std::string> keys_;
  std::string close_ = "}";
};

// A record in object form (keys in any order, unknown keys skipped) or in
// array form (exactly the fields in declaration order). `field(i)` reads the
// value of field i.
template <class Field>
bool read_record(JsonReader& reader, const RecordShape& shape, Field&& field) {
  const int c = reader.peek();
  const std::size_t count = shape.fields.size();
  if (c == '{') {
    uint32_t seen = 0;
    const bool entries = read_object_entries(reader, [&](std::string_view key) {
      const std::size_t i = find_name(shape.fields, key);
      if (i == count) return reader.expect_colon() && reader.skip_value();
      if ((seen >> i) & 1) return reader.fail_duplicate_field(shape.fields[i]);
      seen |= uint32_t{1} << i;
      return reader.expect_colon() && field(i);
    });
    if (!entries) return false;
    for (std::size_t i = 0; i != count; ++i) {
      if (((seen | shape.optional) >> i & 1) == 0) return reader.fail_missing_field(shape.fields[i]);
    }
    reader.close_object();
    return true;
  }
  if (c == '[') {
    if (!reader.enter()) return false;
    bool first = true;
    for (std::size_t i = 0; i != count; ++i) {
      const JsonReader::Next next = reader.next_item(first);
      if (next == JsonReader::Next::Error) return false;
      if (next == JsonReader::Next::End) {
        return reader.fail_invalid_length(i, shape.expected_with_length);
      }
      if (!field(i)) return false;
    }
    return reader.end_fixed_array();
  }
  return reader.fail_invalid_type(shape.expected);
}

// An array of exactly `count` items; `element(i)` reads item i.
template <class Element>
bool read_fixed_array(JsonReader& reader, std::string_view expected, std::size_t count,
                      Element&& element) {
  if (reader.peek() != '[') return reader.fail_invalid_type(expected);
  if (!reader.enter()) return false;
  bool first = true;
  for (std::size_t i = 0; i != count; ++i) {
    const JsonReader::Next next = reader.next_item(first);
    if (next == JsonReader::Next::Error) return false;
    if (next == JsonReader::Next::End) return reader.fail_invalid_length(i, expected);
    if (!element(i)) return false;
  }
  return reader.end_fixed_array();
}

enum class VariantKind : uint8_t { Unit, Newtype, Struct };

// An enumeration's variant names, in index order, with their kinds and the
// texts that the writer takes from them.
class EnumShape {
 public:
  EnumShape(std::span<const std::string_view> variant_names, std::span<const VariantKind> variant_kinds)
      : names(variant_names), kinds(variant_kinds) {
    for (std::string_view name : variant_names) {
      quoted_.push_back("\"" + std::string(name) + "\"");
      openings_.push_back("{\"" + std::string(name) + "\":");
    }
  }

  std::span<const std::string_view> names;
  std::span<const VariantKind> kinds;

  // A unit variant as the writer puts it: "\"Halt\"".
  std::string_view quoted(std::size_t i) const { return quoted_[i]; }
  // What opens a newtype variant before its value: "{\"Phase\":".
  std::string_view opening(std::size_t i) const { return openings_[i]; }

 private:
  std::vector<std::string> quoted_;
  std::vector<std::string> openings_;
};

// An enumeration: a string naming a unit variant, or an object with exactly
// one key naming the variant, its value the content (`null` for a unit
// variant). `content(i)` reads the content of newtype and record variant i.
template <class Content>
bool read_enum(JsonReader& reader, const EnumShape& shape, std::size_t& index,
               Content&& content) {
  const int c = reader.peek();
  if (c == '"') {
    std::string_view name;
    if (!reader.read_key(name)) return false;
    index = find_name(shape.names, name);
    if (index == shape.names.size()) return reader.fail_unknown_variant(name, shape.names);
    switch (shape.kinds[index]) {
      case VariantKind::Unit:
        return true;
      case VariantKind::Newtype:
        return reader.fail_unit_variant("newtype variant");
      case VariantKind::Struct:
        break;
    }
    return reader.fail_unit_variant("struct variant");
  }
  if (c != '{') return reader.fail_peek(c == -1 ? "EOF while parsing a value" : "expected value");
  if (!reader.enter()) return false;
  if (reader.peek() != '"') return reader.fail_invalid_type("variant identifier");
  std::string_view name;
  if (!reader.read_key(name)) return false;
  index = find_name(shape.names, name);
  if (index == shape.names.size()) return reader.fail_unknown_variant(name, shape.names);
  if (!reader.expect_colon()) return false;
  const bool read = shape.kinds[index] == VariantKind::Unit ? reader.read_unit() : content(index);
  return read && reader.end_variant_object();
}

// The alternative of index `i` of the variant V, value-initialised: readers
// make the variant that a name selects, then read its content in place.
template <class V, std::size_t... I>
V alternative_at(std::size_t i, std::index_sequence<I...>) {
  using Make = V (*)();
  static constexpr Make kMake[] = {[]() -> V { return std::variant_alternative_t<I, V>{}; }...};
  return kMake[i]();
}
template <class V>
V alternative_at(std::size_t i) {
  return alternative_at<V>(i, std::make_index_sequence<std::variant_size_v<V>>{});
}

// A whole document: the value, then nothing but white space.
template <class T, class Read>
Decoded<T> read_json_document(std::span<const uint8_t> input, Read&& read) {
  JsonReader reader(input);
  T value{};
  if (!read(reader, value) || !reader.finish()) return Unexpected{reader.take_error()};
  return value;
}

}  // namespace plim::encoding
