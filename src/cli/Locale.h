#pragma once

#include "core/Language.h"

namespace cli {

// Chinese when the first of LANGUAGE's languages that is Chinese or English is Chinese, else when
// the locale (LC_ALL, else LC_MESSAGES, else LANG) is; English otherwise.
core::Language languageFromLocale();

} // namespace cli
