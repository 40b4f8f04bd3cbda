#pragma once

#include "RadioParameters.h"
#include "SettingsFile.h"
#include "core/Language.h"
#include "core/Ui.h"
#include "platform/Dialogs.h"

#include <functional>
#include <optional>

namespace radio {

// File → "Save settings to file..." and "Load settings from file...". Saving writes the radio's
// values as last read; loading puts the file's channel and serial mode into their boxes and keeps
// its air rate and ID as the override of the next write.
class SettingsFileCommands
{
public:
    // The settings of the last successful read; nullopt when no read has succeeded.
    using LastRead = std::function<std::optional<RadioSettings>()>;

    SettingsFileCommands(core::Ui& ui, platform::Dialogs& dialogs, const core::Language& language,
        LastRead lastRead);

    void saveClick();
    void loadClick();

    // What the next write sends in place of the radio's own air rate and ID (empty when the file
    // had neither); none when no file was loaded since the last write it shaped.
    const std::optional<WriteOverride>& writeOverride() const { return m_override; }
    // Once the write that the file shaped has gone out.
    void clearOverride() { m_override.reset(); }

private:
    core::Ui& m_ui;
    platform::Dialogs& m_dialogs;
    const core::Language& m_language;
    LastRead m_lastRead;
    std::optional<WriteOverride> m_override;
};

} // namespace radio
