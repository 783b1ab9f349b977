// Results: an object of the future values, the dumps (each a one-key object
// naming its variant) and the execution time.
#include "libplim/src/encoding/json.hpp"
#include "libplim/src/encoding/json_compound.hpp"
#include "libplim/src/encoding/json_writer.hpp"

namespace plim::encoding {

namespace {

constexpr std::string_view kResultFields[] = {"future", "dump", "exec_time"};
const RecordShape kResultShape{"ResultData", kResultFields};

constexpr std::string_view kDumpNames[] = {"Vector", "Probability", "Shots"};
constexpr VariantKind kDumpKinds[] = {VariantKind::Struct, VariantKind::Struct,
                                      VariantKind::Struct};
static_assert(std::size(kDumpNames) == std::variant_size_v<DumpData>);
const EnumShape kDumpShape{kDumpNames, kDumpKinds};

constexpr std::string_view kVectorFields[] = {"basis_states", "amplitudes_real",
                                              "amplitudes_imag"};
constexpr std::string_view kProbabilityFields[] = {"basis_states", "probabilities"};
constexpr std::string_view kShotsFields[] = {"basis_states", "count", "total"};
const RecordShape kVectorShape{"DumpData", kDumpNames[0], kVectorFields};
const RecordShape kProbabilityShape{"DumpData", kDumpNames[1], kProbabilityFields};
const RecordShape kShotsShape{"DumpData", kDumpNames[2], kShotsFields};

void write_basis_states(const BasisStates& states, ByteBuffer& out) {
  write_json_array(states, out, [](BasisStates::State state, ByteBuffer& o) {
    write_json_u64_array(state, o);
  });
}

void write_dump_data_json(const DumpData& dump, ByteBuffer& out) {
  if (const auto* vector = std::get_if<Vector>(&dump)) {
    write_json_raw(kVectorShape.key(0), out);
    write_basis_states(vector->basis_states, out);
    write_json_raw(kVectorShape.key(1), out);
    write_json_double_array(vector->amplitudes_real, out);
    write_json_raw(kVectorShape.key(2), out);
    write_json_double_array(vector->amplitudes_imag, out);
    write_json_raw(kVectorShape.close(), out);
  } else if (const auto* probability = std::get_if<Probability>(&dump)) {
    write_json_raw(kProbabilityShape.key(0), out);
    write_basis_states(probability->basis_states, out);
    write_json_raw(kProbabilityShape.key(1), out);
    write_json_double_array(probability->probabilities, out);
    write_json_raw(kProbabilityShape.close(), out);
  } else {
    const auto& shots = std::get<Shots>(dump);
    write_json_raw(kShotsShape.key(0), out);
    write_basis_states(shots.basis_states, out);
    write_json_raw(kShotsShape.key(1), out);
    write_json_array(shots.count, out, [](uint32_t n, ByteBuffer& o) { write_json_u64(n, o); });
    write_json_raw(kShotsShape.key(2), out);
    write_json_u64(shots.total, out);
    write_json_raw(kShotsShape.close(), out);
  }
}

bool read_doubles(JsonReader& reader, std::vector<double>& out) {
  return read_list(reader, out, [&](double& value) { return reader.read_f64(value); });
}

// Each state's words go through one scratch list into the flat storage.
bool read_basis_states(JsonReader& reader, BasisStates& out) {
  std::vector<uint64_t> words;
  return reader.read_array("a sequence", [&] {
    words.clear();
    if (!read_u64_list(reader, words)) return false;
    out.push_back(words);
    return true;
  });
}

bool read_dump_data_json(JsonReader& reader, DumpData& out) {
  std::size_t index = 0;
  return read_enum(reader, kDumpShape, index, [&](std::size_t variant) {
    if (variant == 0) {
      Vector vector;
      if (!read_record(reader, kVectorShape, [&](std::size_t field) {
            if (field == 0) return read_basis_states(reader, vector.basis_states);
            return read_doubles(reader, field == 1 ? vector.amplitudes_real
                                                   : vector.amplitudes_imag);
          })) {
        return false;
      }
      out = std::move(vector);
      return true;
    }
    if (variant == 1) {
      Probability probability;
      if (!read_record(reader, kProbabilityShape, [&](std::size_t field) {
            return field == 0 ? read_basis_states(reader, probability.basis_states)
                              : read_doubles(reader, probability.probabilities);
          })) {
        return false;
      }
      out = std::move(probability);
      return true;
    }
    Shots shots;
    if (!read_record(reader, kShotsShape, [&](std::size_t field) {
          switch (field) {
            case 0: return read_basis_states(reader, shots.basis_states);
            case 1:
              return read_list(reader, shots.count,
                               [&](uint32_t& count) { return reader.read_u32(count); });
            default: return reader.read_u64(shots.total);
          }
        })) {
      return false;
    }
    out = std::move(shots);
    return true;
  });
}

}  // namespace

void write_result_json(const ResultData& result, ByteBuffer& out) {
  write_json_raw(kResultShape.key(0), out);
  write_json_array(result.future, out, [](int64_t value, ByteBuffer& o) { write_json_i64(value, o); });
  write_json_raw(kResultShape.key(1), out);
  write_json_array(result.dump, out, write_dump_data_json);
  write_json_raw(kResultShape.key(2), out);
  write_json_double(result.exec_time, out);
  write_json_raw(kResultShape.close(), out);
}

Decoded<ResultData> read_result_json(std::span<const uint8_t> input) {
  return read_json_document<ResultData>(input, [](JsonReader& reader, ResultData& result) {
    return read_record(reader, kResultShape, [&](std::size_t field) {
      switch (field) {
        case 0:
          return read_list(reader, result.future,
                           [&](int64_t& value) { return reader.read_i64(value); });
        case 1:
          return read_list(reader, result.dump,
                           [&](DumpData& dump) { return read_dump_data_json(reader, dump); });
        default:
          return reader.read_f64(result.exec_time);
      }
    });
  });
}

}  // namespace plim::encoding
