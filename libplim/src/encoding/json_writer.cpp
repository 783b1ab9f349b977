#include "libplim/src/encoding/json_writer.hpp"

#include <array>

namespace plim::encoding {

namespace {

// 0: copied as it stands; otherwise the letter after the backslash, or 'u'
// for the \u00XX form.
constexpr std::array<char, 256> make_escape_table() {
  std::array<char, 256> table{};
  for (int byte = 0; byte < 0x20; ++byte) table[byte] = 'u';
  table['\b'] = 'b';
  table['\f'] = 'f';
  table['\n'] = 'n';
  table['\r'] = 'r';
  table['\t'] = 't';
  table['"'] = '"';
  table['\\'] = '\\';
  return table;
}
constexpr std::array<char, 256> kEscape = make_escape_table();

}  // namespace

void write_json_string(std::string_view text, ByteBuffer& out) {
  out.push_back('"');
  const char* run = text.data();
  const char* end = text.data() + text.size();
  for (const char* p = run; p != end; ++p) {
    char escape = kEscape[static_cast<uint8_t>(*p)];
    if (escape == 0) continue;
    out.append(run, static_cast<std::size_t>(p - run));
    run = p + 1;
    if (escape != 'u') {
      const char pair[2] = {'\\', escape};
      out.append(pair, 2);
      continue;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    const auto byte = static_cast<uint8_t>(*p);
    const char unicode[6] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
    out.append(unicode, 6);
  }
  out.append(run, static_cast<std::size_t>(end - run));
  out.push_back('"');
}

}  // namespace plim::encoding
