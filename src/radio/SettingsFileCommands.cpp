#include "SettingsFileCommands.h"

namespace radio {

using core::Ctl;

SettingsFileCommands::SettingsFileCommands(
    core::Ui& ui, platform::Dialogs& dialogs, const core::Language& language, LastRead lastRead)
    : m_ui(ui), m_dialogs(dialogs), m_language(language), m_lastRead(std::move(lastRead))
{ }

void SettingsFileCommands::saveClick()
{
    const auto settings = m_lastRead();
    if (!settings) {
        m_dialogs.showMessage(
            m_language.pick("No parameters have been read from a radio yet: read the radio first.",
                "尚未从电台读取参数,请先读电台。"));
        return;
    }
    const auto path
        = m_dialogs.saveFileName(m_language.pick("Save settings to file", "保存参数到文件"));
    if (!path)
        return;
    const platform::FileWriteResult saved = saveSettingsFile(*path, *settings);
    if (saved.error)
        m_dialogs.showMessage(saveFailureText(*path, *saved.error, m_language));
    else if (saved.warning)
        m_dialogs.showMessage(saveWarningText(*path, *saved.warning, m_language));
}

void SettingsFileCommands::loadClick()
{
    const auto path
        = m_dialogs.openFileName(m_language.pick("Load settings from file", "从文件载入参数"));
    if (!path)
        return;
    const auto loaded = loadSettingsFile(*path);
    if (const auto* error = std::get_if<SettingsError>(&loaded)) {
        m_dialogs.showMessage(loadFailureText(*path, *error, m_language));
        return;
    }
    const auto& settings = std::get<RadioSettings>(loaded);
    if (settings.channel)
        m_ui.setCurrentIndex(Ctl::ComboChnn, *settings.channel - 1);
    if (settings.serial) {
        m_ui.setCurrentIndex(Ctl::ComboRadioSerBaud, settings.serial->speedIndex);
        m_ui.setCurrentIndex(Ctl::ComboRadioParity, settings.serial->parityIndex);
    }
    m_override = WriteOverride {settings.airRate, settings.id};
}

} // namespace radio
