// The quoted form of a text, used where the system shows the caller's own
// text back (the default no-parse reason, a bad anchor key).
#pragma once

#include <string>
#include <string_view>

namespace kalendo {

// Appends `text` in double quotes. A double quote or backslash gets a
// backslash; NUL, tab, CR and LF are written \0 \t \r \n; any other
// character that is not printable or that extends a grapheme is written
// \u{hex}. A single quote is left as it is.
void append_quoted(std::string& out, std::string_view text);

}  // namespace kalendo
