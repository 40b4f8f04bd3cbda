#pragma once

#include <string>
#include <vector>

namespace cli {

// Columns a text takes on a terminal: wide (CJK) characters count two.
std::size_t displayWidth(const std::string& text);

// The text broken into lines of at most width columns, the first line starting at column start
// and the others at column indent (the lines come without it). A line breaks at a space, or
// between two characters of which one is wide, as Chinese text breaks, but never before closing
// punctuation (",", "。", ")") nor after opening punctuation ("("), nor within square
// brackets, which hold an option of a usage line with its value. A word wider than a line stays
// whole.
std::vector<std::string> wrapText(
    const std::string& text, std::size_t start, std::size_t indent, std::size_t width);

} // namespace cli
