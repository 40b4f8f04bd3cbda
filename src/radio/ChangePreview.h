#pragma once

#include "RadioParameters.h"
#include "core/Language.h"
#include "platform/Dialogs.h"

#include <string>
#include <vector>

namespace radio {

// One value a write changes on the radio, as the user reads it.
struct ValueChange
{
    core::Bilingual name;
    core::Bilingual before;
    core::Bilingual after;

    bool operator==(const ValueChange&) const = default;
};

// Every value that differs between what the radio holds (its last read) and what a write
// sends, in write order: air rate, ID, channel, serial mode.
std::vector<ValueChange> changedValues(const WriteValues& held, const WriteValues& sent);

// The confirmation's text: a heading, then one line per change with old and new side by side.
std::string changePreviewText(
    const std::vector<ValueChange>& changes, const core::Language& language);

// Asks with OK and Cancel before a write that a settings file shaped; true when the user
// confirmed.
bool confirmWrite(platform::Dialogs& dialogs, const core::Language& language,
    const WriteValues& held, const WriteValues& sent);

} // namespace radio
