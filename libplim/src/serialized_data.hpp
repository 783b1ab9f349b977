// One encoded document: the encoding and the bytes it produced.
#pragma once

#include "libplim/src/byte_buffer.hpp"
#include "libplim/src/model.hpp"

namespace plim {

struct SerializedData {
  DataType type = DataType::JSON;
  ByteBuffer bytes;
};

}  // namespace plim
