#include "quote.h"

#include "unicode.h"

namespace kalendo {

void append_quoted(std::string& out, std::string_view text) {
  out.push_back('"');
  uni::append_escaped(out, text, [](std::string& o, uni::Decoded d, std::string_view bytes) {
    switch (d.cp) {
      case '"':
        o += "\\\"";
        return;
      case '\\':
        o += "\\\\";
        return;
      case '\0':
        o += "\\0";
        return;
      case '\t':
        o += "\\t";
        return;
      case '\r':
        o += "\\r";
        return;
      case '\n':
        o += "\\n";
        return;
      default:
        break;
    }
    // A byte that is not UTF-8 decodes as U+FFFD, which is printable, but
    // it is not the character itself: it is written escaped.
    if (bytes.size() > 1 && uni::is_printable(d.cp) && !uni::is_grapheme_extend(d.cp)) {
      o.append(bytes);
      return;
    }
    o += "\\u{";
    int shift = 20;
    while (shift > 0 && (d.cp >> shift) == 0)
      shift -= 4;
    for (; shift >= 0; shift -= 4)
      o.push_back(uni::kHexDigits[(d.cp >> shift) & 0xF]);
    o.push_back('}');
  });
  out.push_back('"');
}

}  // namespace kalendo
