// The host's Features records.
#include <string>

#include "libplim/src/c_wrapper/guard.hpp"
#include "libplim/src/features.hpp"
#include "plim.h"

using plim::guarded;

namespace {

constexpr int kSuccess = 0;

}  // namespace

// Each flag byte counts as set when it is not 0, whatever its value.
extern "C" int plim_features_new(unsigned char allow_dirty_qubits, unsigned char allow_free,
                                 unsigned char valid_after_measure,
                                 unsigned char allow_control_flow, unsigned char allow_dump,
                                 unsigned char allow_measure, unsigned char continue_after_dump,
                                 Features** features) {
  return guarded([&] {
    auto* made = new Features;
    made->allow_dirty_qubits = allow_dirty_qubits != 0;
    made->allow_free = allow_free != 0;
    made->valid_after_measure = valid_after_measure != 0;
    made->allow_control_flow = allow_control_flow != 0;
    made->allow_dump = allow_dump != 0;
    made->allow_measure = allow_measure != 0;
    made->continue_after_dump = continue_after_dump != 0;
    *features = made;
    return kSuccess;
  });
}

extern "C" int plim_features_all(Features** features) {
  return plim_features_new(true, true, true, true, true, true, true, features);
}

extern "C" int plim_features_none(Features** features) {
  // Six flags clear; measuring alone stays allowed.
  return plim_features_new(false, false, false, false, false, true, false, features);
}

extern "C" int plim_features_delete(Features* features) {
  delete features;
  return kSuccess;
}

extern "C" int plim_features_register_plugin(Features* features, const char* name) {
  return guarded([&] {
    features->registered_plugins.emplace(name);
    return kSuccess;
  });
}
