#include <cstddef>
#include <span>
#include <string>

#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/bin_primitives.hpp"

namespace plim::encoding {

namespace {

// One walk sizes and writes.
constexpr auto write_metrics_fields = [](const Metrics& metrics, auto& w) noexcept {
  w.u64(metrics.qubit_simultaneous);
  w.u64(metrics.qubit_count);
  w.u64(metrics.future_count);
  w.u64(metrics.dump_count);
  w.u64(metrics.block_count);
  w.boolean(metrics.timeout.has_value());
  if (metrics.timeout) w.u64(*metrics.timeout);
  w.u64(metrics.plugins.size());
  for (const std::string& name : metrics.plugins) w.string(name);
  w.boolean(metrics.ready);
};

}  // namespace

std::size_t metrics_bin_size(const Metrics& metrics) {
  return bin::counted_size(metrics, write_metrics_fields);
}

ByteBuffer write_metrics_bin(const Metrics& metrics) {
  return bin::write_exact(metrics, write_metrics_fields);
}

Decoded<Metrics> read_metrics_bin(std::span<const uint8_t> input) {
  return bin::decode<Metrics>(input, [](bin::Reader& r) {
    Metrics metrics;
    r.need(5 * 8);
    metrics.qubit_simultaneous = r.load<uint64_t>();
    metrics.qubit_count = r.load<uint64_t>();
    metrics.future_count = r.load<uint64_t>();
    metrics.dump_count = r.load<uint64_t>();
    metrics.block_count = r.load<uint64_t>();
    metrics.timeout = r.optional_u64();
    const uint64_t names = r.u64();
    metrics.plugins.reserve(r.reservation(names, 8));
    for (uint64_t i = 0; i < names; ++i) metrics.plugins.insert(r.string());
    metrics.ready = r.boolean();
    return metrics;
  });
}

}  // namespace plim::encoding
