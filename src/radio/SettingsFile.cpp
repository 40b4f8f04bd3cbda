#include "SettingsFile.h"

#include "core/PrintableText.h"
#include "core/Suggestion.h"
#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <map>
#include <set>
#include <unistd.h>

namespace radio {

namespace {

using Parsed = std::variant<RadioSettings, SettingsError>;

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

SettingsError refusal(int line, std::string key, std::string english, std::string chinese)
{
    return {line, std::move(key), {std::move(english), std::move(chinese)}};
}

// A key's parser: stores the value and returns true, or returns false when it is out of range.
using KeyParser = std::function<bool(std::string_view, RadioSettings&)>;

template<typename T, typename Parse>
KeyParser into(std::optional<T> RadioSettings::*field, Parse parse)
{
    return [field, parse](std::string_view text, RadioSettings& settings) {
        const auto value = parse(text);
        if (value)
            settings.*field = static_cast<T>(*value);
        return value.has_value();
    };
}

KeyParser infoText(std::string RadioSettings::*field)
{
    return [field](std::string_view text, RadioSettings& settings) {
        settings.*field = std::string(text);
        return true;
    };
}

struct Key
{
    KeyParser parse;
    core::Bilingual range; // what a valid value looks like
};

const std::map<std::string, Key, std::less<>>& keys()
{
    static const std::map<std::string, Key, std::less<>> kKeys = {
        {"format",
            {[](std::string_view text, RadioSettings& settings) {
                 const auto format = parseDecimal(text, 1'000'000);
                 if (format)
                     settings.format = *format;
                 return format == kSettingsFormat;
             },
                {"this program reads format " + std::to_string(kSettingsFormat),
                    "本程序读取格式 " + std::to_string(kSettingsFormat)}}},
        {"channel",
            {into(&RadioSettings::channel,
                 [](std::string_view text) {
                     const auto channel = parseDecimal(text, kHighestSettingsChannel);
                     return channel > 0 ? channel : std::nullopt;
                 }),
                {"the channel is 1 to 32", "信道号为 1 至 32"}}},
        {"air-rate",
            {into(&RadioSettings::airRate,
                 [](std::string_view text) { return parseDecimal(text, kHighestSettingsAirRate); }),
                {"the air rate is an index 0 to 4 (19200, 9600, 4800, 2400, 1200 bit/s)",
                    "空中速率为序号 0 至 4(19200、9600、4800、2400、1200 bit/s)"}}},
        {"serial",
            {into(&RadioSettings::serial, parseSerialMode),
                {"the serial mode is 19200, 9600, 4800, 2400, 1200 or 300, a dash and N, O or E "
                 "(e.g. 9600-N)",
                    "串口模式为 19200、9600、4800、2400、1200 或 300,加横线和 N、O 或 E(例如 "
                    "9600-N)"}}},
        {"id",
            {into(&RadioSettings::id, parseId),
                {"the ID is six digits, or 0x and six hex digits",
                    "ID 为六位数字,或 0x 加六位十六进制数字"}}},
        {"model", {infoText(&RadioSettings::model), {}}},
        {"port", {infoText(&RadioSettings::port), {}}},
        {"read-at", {infoText(&RadioSettings::readAt), {}}},
    };
    return kKeys;
}

} // namespace

std::string settingsErrorText(const SettingsError& error, const core::Language& language)
{
    std::string where;
    if (error.line > 0) {
        where = language.pick(
            "Line " + std::to_string(error.line), "第 " + std::to_string(error.line) + " 行");
    }
    if (!error.key.empty())
        where += (where.empty() ? "" : language.pick(", ", " ")) + core::printable(error.key);
    return where.empty() ? error.reason.in(language)
                         : where + language.pick(": ", ":") + error.reason.in(language);
}

std::string serializeSettings(const RadioSettings& settings)
{
    std::string text = "# Radio modem settings. A value left out keeps the radio's own.\n";
    const auto line = [&text](const char* key, const std::string& value) {
        if (!value.empty())
            text += std::string(key) + " = " + value + "\n";
    };
    line("format", std::to_string(settings.format));
    line("channel", settings.channel ? std::to_string(*settings.channel) : "");
    line("air-rate", settings.airRate ? std::to_string(*settings.airRate) : "");
    line("serial", settings.serial ? serialModeText(*settings.serial) : "");
    line("id", settings.id ? idText(*settings.id) : "");
    line("model", settings.model);
    line("port", settings.port);
    line("read-at", settings.readAt);
    return text;
}

std::optional<SettingsError> setSettingsValue(
    RadioSettings& settings, std::string_view key, std::string_view value)
{
    const auto found = keys().find(key);
    if (found == keys().end()) {
        std::vector<std::string> names;
        for (const auto& [name, known] : keys())
            names.push_back(name);
        const auto meant = core::closestName(key, names);
        return refusal(0, std::string(key),
            "unknown key" + (meant ? "; did you mean " + *meant + "?" : std::string()),
            "未知的键" + (meant ? ";您是不是要输入 " + *meant + "?" : std::string()));
    }
    if (found->second.parse(value, settings))
        return std::nullopt;
    const core::Bilingual& range = found->second.range;
    const std::string shown = core::printable(value);
    return refusal(0, std::string(key), "\"" + shown + "\": " + range.english,
        "\"" + shown + "\":" + range.chinese);
}

Parsed parseSettings(std::string_view text)
{
    if (text.size() > kMaxSettingsFileBytes)
        return refusal(0, {}, "the file is larger than 64 KiB", "文件大于 64 KiB");
    // A byte order mark, as some editors write it, is no content.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    RadioSettings settings;
    std::set<std::string, std::less<>> seen;
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (line.size() > kMaxSettingsLineBytes)
            return refusal(number, {}, "the line is longer than 8 KiB", "该行超过 8 KiB");
        if (!core::isUtf8(line))
            return refusal(number, {}, "the text is not UTF-8", "文本不是 UTF-8 编码");
        const std::string_view content = trimmed(line);
        if (content.empty() || content.starts_with('#'))
            continue;
        const auto equals = content.find('=');
        if (equals == std::string_view::npos)
            return refusal(number, {}, "a line must read key = value", "每行应为 键 = 值");
        const std::string_view key = trimmed(content.substr(0, equals));
        const std::string_view value = trimmed(content.substr(equals + 1));
        if (seen.contains(key))
            return refusal(number, std::string(key), "the key appears twice", "键重复出现");
        if (auto error = setSettingsValue(settings, key, value)) {
            error->line = number;
            return *error;
        }
        seen.insert(std::string(key));
    }
    if (!seen.contains("format"))
        return refusal(0, "format", "the format version is missing", "缺少格式版本");
    return settings;
}

Parsed loadSettingsFile(const std::string& path)
{
    const auto opened = platform::openRegularFile(path, O_RDONLY);
    if (const auto* reason = std::get_if<core::Bilingual>(&opened))
        return SettingsError {0, {}, *reason};
    const int fd = std::get<int>(opened);
    Parsed parsed = readSettings(fd);
    ::close(fd);
    return parsed;
}

Parsed readSettings(int fd)
{
    // One byte more than allowed is enough to refuse a longer file without reading all of it.
    std::string text(kMaxSettingsFileBytes + 1, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return SettingsError {0, {}, platform::systemReason(errno)};
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return parseSettings(text);
}

platform::FileWriteResult saveSettingsFile(const std::string& path, const RadioSettings& settings)
{
    const std::string text = serializeSettings(settings);
    return platform::writeFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string saveFailureText(
    const std::string& path, const core::Bilingual& reason, const core::Language& language)
{
    return language.pick("Could not save settings to ", "保存参数失败: ") + core::printable(path)
        + "\n" + reason.in(language);
}

std::string saveWarningText(
    const std::string& path, const core::Bilingual& warning, const core::Language& language)
{
    const std::string shown = core::printable(path);
    return language.pick("Settings saved to " + shown + ", but ", "参数已保存到 " + shown + ",但")
        + warning.in(language);
}

std::string loadFailureText(
    const std::string& path, const SettingsError& error, const core::Language& language)
{
    return language.pick("Could not load settings from ", "载入参数失败: ") + core::printable(path)
        + "\n" + settingsErrorText(error, language);
}

} // namespace radio
