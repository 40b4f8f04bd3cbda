#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// The name a mistyped word most likely meant: the closest of names by edits (a letter added,
// dropped, changed, or two swapped; case ignored), when it is close enough to be a slip rather
// than another word: at most one edit for a word of up to four letters, else two.
std::optional<std::string> closestName(
    std::string_view word, const std::vector<std::string>& names);

} // namespace core
