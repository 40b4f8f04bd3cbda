#include "Locale.h"

#include <cstdlib>
#include <string_view>

namespace cli {

core::Language languageFromLocale()
{
    const core::Language chinese {0};
    const core::Language english {1};
    std::string_view locale;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    // As gettext does: LANGUAGE, a list of languages in order of preference, wins over the
    // locale, unless the locale is C (then messages are never translated).
    const char* preferred = std::getenv("LANGUAGE");
    if (preferred && !locale.empty() && locale != "C" && locale != "POSIX") {
        for (std::string_view list = preferred; !list.empty();) {
            const std::string_view entry = list.substr(0, list.find(':'));
            if (entry.starts_with("zh"))
                return chinese;
            if (entry.starts_with("en"))
                return english;
            list.remove_prefix(std::min(list.size(), entry.size() + 1));
        }
    }
    return locale.starts_with("zh") ? chinese : english;
}

} // namespace cli
