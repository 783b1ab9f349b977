// Metrics as one JSON object of its eight fields, `timeout` the only one that
// may be missing.
#include <string>

#include "libplim/src/encoding/json.hpp"
#include "libplim/src/encoding/json_compound.hpp"
#include "libplim/src/encoding/json_writer.hpp"

namespace plim::encoding {

namespace {

constexpr std::string_view kMetricsFields[] = {
    "qubit_simultaneous", "qubit_count", "future_count", "dump_count",
    "block_count",        "timeout",     "plugins",      "ready"};
constexpr std::size_t kTimeout = 5;
const RecordShape kMetricsShape{"Metrics", kMetricsFields, uint32_t{1} << kTimeout};

bool read_metrics_field(JsonReader& reader, Metrics& metrics, std::size_t field) {
  switch (field) {
    case 0: return reader.read_u64(metrics.qubit_simultaneous);
    case 1: return reader.read_u64(metrics.qubit_count);
    case 2: return reader.read_u64(metrics.future_count);
    case 3: return reader.read_u64(metrics.dump_count);
    case 4: return reader.read_u64(metrics.block_count);
    case kTimeout: {
      bool present = false;
      uint64_t seconds = 0;
      if (!reader.read_optional_u64(present, seconds)) return false;
      if (present) metrics.timeout = seconds;
      else metrics.timeout.reset();
      return true;
    }
    case 6:
      return reader.read_array("a sequence", [&] {
        std::string name;
        if (!reader.read_string(name)) return false;
        metrics.plugins.insert(std::move(name));
        return true;
      });
    default:
      return reader.read_bool(metrics.ready);
  }
}

}  // namespace

void write_metrics_json(const Metrics& metrics, ByteBuffer& out) {
  const RecordShape& shape = kMetricsShape;
  const uint64_t counts[] = {metrics.qubit_simultaneous, metrics.qubit_count,
                             metrics.future_count, metrics.dump_count, metrics.block_count};
  for (std::size_t i = 0; i != std::size(counts); ++i) {
    write_json_raw(shape.key(i), out);
    write_json_u64(counts[i], out);
  }
  write_json_raw(shape.key(kTimeout), out);
  if (metrics.timeout) write_json_u64(*metrics.timeout, out);
  else write_json_raw("null", out);
  write_json_raw(shape.key(kTimeout + 1), out);
  write_json_array(metrics.plugins, out,
                   [](const std::string& name, ByteBuffer& o) { write_json_string(name, o); });
  write_json_raw(shape.key(kTimeout + 2), out);
  write_json_bool(metrics.ready, out);
  write_json_raw(shape.close(), out);
}

Decoded<Metrics> read_metrics_json(std::span<const uint8_t> input) {
  return read_json_document<Metrics>(input, [](JsonReader& reader, Metrics& metrics) {
    return read_record(reader, kMetricsShape, [&](std::size_t field) {
      return read_metrics_field(reader, metrics, field);
    });
  });
}

}  // namespace plim::encoding
