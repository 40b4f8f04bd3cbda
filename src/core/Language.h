#pragma once

#include <cstdint>
#include <string>

namespace core {

// The interface language, chosen once at start by the language dialog: 1 means English, any
// other value Chinese. Every text is chosen from it at the moment it is shown.
struct Language
{
    std::uint8_t value = 0;

    bool isEnglish() const { return value == 1; }
    const std::string& pick(const std::string& english, const std::string& chinese) const
    {
        return isEnglish() ? english : chinese;
    }
};

// A text in both languages, for code that composes a message before its language is known.
struct Bilingual
{
    std::string english;
    std::string chinese;

    const std::string& in(const Language& language) const
    {
        return language.pick(english, chinese);
    }
    bool operator==(const Bilingual&) const = default;
};

} // namespace core
