#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace core {

// Length of the well-formed UTF-8 sequence at text[at], or 0 when none starts there: no
// overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at);
bool isUtf8(std::string_view text);

// Text that came from a file or a device (a file's keys and values, a path, a device's name),
// made safe to show on a terminal or in a message: every control character (C0, DEL and C1) and
// every byte that is not part of well-formed UTF-8 is written as \xhh, the backslash as \\, so
// that nothing in it can move the cursor, change a title or clear a screen, and two different
// names never look the same. The rest passes unchanged.
std::string printable(std::string_view text);

} // namespace core
