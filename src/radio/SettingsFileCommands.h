#pragma once

#include "ParameterExchange.h"
#include "ParameterView.h"
#include "RadioParameters.h"
#include "RadioSettings.h"
#include "core/Language.h"
#include "core/StatusBar.h"
#include "platform/Dialogs.h"

#include <functional>
#include <optional>

namespace radio {

// File → "Save settings to file..." and "Load settings from file...". Saving writes the radio's
// values as last read; loading puts the file's channel and serial mode into their boxes and keeps
// its air rate and ID for the next write. The file's values belong to the radio as known when
// the file was loaded: they shape the one write that follows, and whatever changes or forgets
// that knowledge first (a read, a closed port, a write that did not end well, a Cancel) drops
// them, which status panel 3 says.
class SettingsFileCommands
{
public:
    // The settings of the last successful read; nullopt when no read has succeeded.
    using LastRead = std::function<std::optional<RadioSettings>()>;
    // What the radio holds as far as the program knows; nullopt when nothing is.
    using HeldValues = std::function<std::optional<WriteValues>()>;

    SettingsFileCommands(ParameterView& view, core::StatusBar& status, platform::Dialogs& dialogs,
        const core::Language& language, LastRead lastRead, HeldValues held);

    void saveToFile();
    void loadFromFile();

    // Before a write: the file's air rate and ID take the radio's own place, and the write goes
    // out only once the user has confirmed every change it makes. False when the user cancelled.
    bool shapeWrite(WriteValues& values);
    // The radio's known values changed or were forgotten.
    void heldChanged(ParameterExchange::HeldChange why);

    // What the next write sends in place of the radio's own air rate and ID (empty when the file
    // had neither); none when no file's values are pending.
    const std::optional<WriteOverride>& writeOverride() const { return m_override; }

private:
    void drop(const core::Bilingual& why);

    ParameterView& m_view;
    core::StatusBar& m_status;
    platform::Dialogs& m_dialogs;
    const core::Language& m_language;
    LastRead m_lastRead;
    HeldValues m_held;
    std::optional<WriteOverride> m_override;
};

} // namespace radio
