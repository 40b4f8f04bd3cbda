#include "Suggestion.h"

#include <algorithm>
#include <cctype>

namespace core {

namespace {

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Edits from a to b, an adjacent swap counting one (optimal string alignment distance).
std::size_t distance(std::string_view a, std::string_view b)
{
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2])
                && lower(a[i - 2]) == lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::optional<std::string> closestName(std::string_view word, const std::vector<std::string>& names)
{
    const std::size_t allowed = word.size() <= 4 ? 1 : 2;
    std::optional<std::string> best;
    std::size_t bestDistance = allowed + 1;
    for (const std::string& name : names) {
        const std::size_t edits = distance(word, name);
        if (edits < bestDistance) {
            best = name;
            bestDistance = edits;
        }
    }
    return best;
}

} // namespace core
