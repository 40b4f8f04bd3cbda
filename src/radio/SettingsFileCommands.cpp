#include "SettingsFileCommands.h"

#include "ChangePreview.h"
#include "SettingsFile.h"
#include "core/PrintableText.h"

namespace radio {

namespace {

const core::Bilingual kNotKnown {
    "The radio's values are not known: read the radio first.", "电台参数未知,请先读电台。"};

} // namespace

SettingsFileCommands::SettingsFileCommands(ParameterView& view, core::StatusBar& status,
    platform::Dialogs& dialogs, const core::Language& language, LastRead lastRead, HeldValues held)
    : m_view(view),
      m_status(status),
      m_dialogs(dialogs),
      m_language(language),
      m_lastRead(std::move(lastRead)),
      m_held(std::move(held))
{ }

void SettingsFileCommands::saveToFile()
{
    const auto settings = m_lastRead();
    if (!settings) {
        m_dialogs.showMessage(kNotKnown.in(m_language));
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

// A file's values are previewed against the radio they will be written to, so a radio must
// have been read; the preview names every value the next write would change.
void SettingsFileCommands::loadFromFile()
{
    const auto held = m_held();
    if (!held) {
        m_dialogs.showMessage(kNotKnown.in(m_language));
        return;
    }
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
        m_view.showChannel(*settings.channel - 1);
    if (settings.serial)
        m_view.showSerialMode(settings.serial->speedIndex, settings.serial->parityIndex);
    m_override = WriteOverride {settings.airRate, settings.id};
    m_dialogs.showMessage(m_language.pick("Loaded ", "已载入 ") + core::printable(*path) + "\n\n"
        + changePreviewText(changedValues(*held, applySettings(*held, settings)), m_language)
        + m_language.pick("\n\nWrite sends them, after one more confirmation.",
            "\n\n写参数时将再次确认后写入。"));
}

bool SettingsFileCommands::shapeWrite(WriteValues& values)
{
    if (!m_override)
        return true;
    const auto held = m_held();
    values = applyOverride(values, *m_override);
    if (held && confirmWrite(m_dialogs, m_language, *held, values))
        return true;
    drop({"the write was cancelled", "已取消写入"});
    return false;
}

void SettingsFileCommands::heldChanged(ParameterExchange::HeldChange why)
{
    using Change = ParameterExchange::HeldChange;
    if (why == Change::Written) {
        m_override.reset();
        return;
    }
    switch (why) {
    case Change::Read:
        drop({"the radio was read again", "已重新读电台"});
        return;
    case Change::PortClosed:
        drop({"the port was closed", "通讯端口已关闭"});
        return;
    default:
        drop({"the write did not end well", "写参数未成功"});
        return;
    }
}

// Panel 3 says it in a word, its tooltip why.
void SettingsFileCommands::drop(const core::Bilingual& why)
{
    if (!m_override)
        return;
    m_override.reset();
    m_status.setText(
        core::StatusPanel::Connection, m_language.pick("File dropped", "文件参数已放弃"));
    m_status.setTip(core::StatusPanel::Connection,
        m_language.pick("The settings file's values were dropped: ", "已放弃设置文件的参数:")
            + why.in(m_language));
}

} // namespace radio
