#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "encoding/json_test_support.hpp"
#include "libplim/src/encoding/json_writer.hpp"

namespace {

using plim::ByteBuffer;
using plim::encoding::write_json_double;
using plim::encoding::write_json_string;

std::string double_text(double value) {
  return json_test::written(value, [](double v, ByteBuffer& out) { write_json_double(v, out); });
}

TEST(JsonDouble, ShortestRoundTripFormInTheFixedAndExponentLayouts) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0.0, "0.0"},
      {-0.0, "-0.0"},
      {1.0, "1.0"},
      {-1.0, "-1.0"},
      {100.0, "100.0"},
      {1e15, "1000000000000000.0"},
      {9007199254740992.0, "9007199254740992.0"},  // 2^53
      {1e16, "1e16"},
      {12345678901234567.0, "1.2345678901234568e16"},
      {1.2345e17, "1.2345e17"},
      {1.5, "1.5"},
      {123.45, "123.45"},
      {3.141592653589793, "3.141592653589793"},
      {0.5, "0.5"},
      {0.1, "0.1"},
      {0.25, "0.25"},
      {0.001, "0.001"},
      {0.00001, "0.00001"},
      {0.000012, "0.000012"},
      {0.000001, "1e-6"},
      {1.5e-7, "1.5e-7"},
      {-2.5e-10, "-2.5e-10"},
      {5e-324, "5e-324"},
      {std::numeric_limits<double>::max(), "1.7976931348623157e308"},
      {std::numeric_limits<double>::lowest(), "-1.7976931348623157e308"},
      {2.2250738585072014e-308, "2.2250738585072014e-308"},
      {std::numeric_limits<double>::quiet_NaN(), "null"},
      {std::numeric_limits<double>::infinity(), "null"},
      {-std::numeric_limits<double>::infinity(), "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(double_text(c.value), c.text);
  }
}

TEST(JsonString, EscapesQuoteBackslashAndControlBytesOnly) {
  struct Case {
    std::string text;
    std::string json;
  };
  const Case cases[] = {
      {"\t\"\\\x01\xC3\xA9", "\"\\t\\\"\\\\\\u0001\xC3\xA9\""},
      {"", "\"\""},
      {"a/b\x7F", "\"a/b\x7F\""},
      {"\b\f\n\r", "\"\\b\\f\\n\\r\""},
      {std::string("\x00\x1F", 2), "\"\\u0000\\u001f\""},
      {"pown", "\"pown\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    EXPECT_EQ(json_test::written(c.text,
                                 [](const std::string& s, ByteBuffer& out) { write_json_string(s, out); }),
              c.json);
  }
}

}  // namespace
