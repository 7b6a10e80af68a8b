#include "quote.h"

#include "unicode.h"

namespace kalendo {

void append_quoted(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  std::size_t i = 0;
  while (i < text.size()) {
    // Printable ASCII other than the quote and the backslash stands as it
    // is; it is most of what callers type, so it is copied a run at a time.
    std::size_t run = i;
    while (run < text.size()) {
      const auto c = static_cast<unsigned char>(text[run]);
      if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') break;
      ++run;
    }
    out.append(text.data() + i, run - i);
    i = run;
    if (i == text.size()) break;
    const uni::Decoded d = uni::decode_utf8(text, i);
    const char32_t cp = d.cp;
    switch (cp) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\0':
        out += "\\0";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (d.len == 1 && cp == 0xFFFD) {
          // A byte that is not UTF-8 shows as the replacement character.
          out += "\\u{fffd}";
        } else if (uni::is_printable(cp) && !uni::is_grapheme_extend(cp)) {
          out.append(text, i, d.len);
        } else {
          out += "\\u{";
          int shift = 20;
          while (shift > 0 && (cp >> shift) == 0)
            shift -= 4;
          for (; shift >= 0; shift -= 4)
            out.push_back(kHex[(cp >> shift) & 0xF]);
          out.push_back('}');
        }
    }
    i += d.len;
  }
  out.push_back('"');
}

}  // namespace kalendo
