// The host's Features records.
#include <string>

#include "libplim/src/c_wrapper/guard.hpp"
#include "libplim/src/features.hpp"
#include "plim.h"

using plim::guarded;

namespace {

constexpr int kSuccess = 0;

}  // namespace

extern "C" int plim_features_new(bool allow_dirty_qubits, bool allow_free, bool valid_after_measure,
                                 bool allow_control_flow, bool allow_dump, bool allow_measure,
                                 bool continue_after_dump, Features** features) {
  return guarded([&] {
    auto* made = new Features;
    made->allow_dirty_qubits = allow_dirty_qubits;
    made->allow_free = allow_free;
    made->valid_after_measure = valid_after_measure;
    made->allow_control_flow = allow_control_flow;
    made->allow_dump = allow_dump;
    made->allow_measure = allow_measure;
    made->continue_after_dump = continue_after_dump;
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
