#include "Output.h"

#include "radio/SettingsFile.h"
#include "serial/PortTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdlib>

namespace cli {

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

// Columns a text takes on a terminal: wide (CJK) characters count two.
std::size_t displayWidth(const std::string& text)
{
    std::size_t width = 0;
    for (const char32_t c : qt(text).toUcs4())
        width += c >= 0x1100 && (c <= 0x115F || (c >= 0x2E80 && c <= 0xFFDC)) ? 2 : 1;
    return width;
}

std::string table(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], displayWidth(row[i]));
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - displayWidth(row[i]) + 2, ' ');
        }
        text += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
    }
    return text;
}

const char* outcomeKey(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Ok:
        return "ok";
    case Outcome::NoRadio:
        return "no-radio";
    case Outcome::PortError:
        return "port-error";
    case Outcome::WriteFailed:
        return "write-failed";
    case Outcome::Mismatch:
        return "mismatch";
    }
    return "";
}

std::string outcomeText(const PortResult& result, const core::Language& language)
{
    switch (result.outcome) {
    case Outcome::Ok:
        return result.readBack ? language.pick("verified", "已校验") : language.pick("OK", "成功");
    case Outcome::NoRadio:
        return language.pick("no radio", "无电台");
    case Outcome::PortError:
        return language.pick("port error", "端口错误");
    case Outcome::WriteFailed:
        return language.pick("write failed", "写入失败");
    case Outcome::Mismatch:
        return language.pick("mismatch", "校验不符");
    }
    return {};
}

const radio::WriteValues* shownValues(const PortResult& result)
{
    if (result.readBack)
        return &*result.readBack;
    if (result.written)
        return &*result.written;
    return result.before ? &result.before->held : nullptr;
}

QJsonObject valuesJson(const radio::WriteValues& values)
{
    return {
        {"channel", values.channel},
        {"airRate", values.airRate},
        {"serial", qt(radio::serialModeText({values.speedIndex, values.parityIndex}))},
        {"id", qt(radio::idText(values.id))},
    };
}

QJsonObject resultJson(const PortResult& result)
{
    QJsonObject object {
        {"port", qt(result.port)},
        {"device", qt(result.device)},
        {"outcome", outcomeKey(result.outcome)},
    };
    if (!result.reason.empty())
        object["reason"] = qt(result.reason);
    if (result.before) {
        object["model"] = result.before->model;
        object["version"] = qt(radio::modelVersionText(result.before->version));
        object["values"] = valuesJson(result.before->held);
    }
    if (result.written)
        object["written"] = valuesJson(*result.written);
    if (result.readBack)
        object["readBack"] = valuesJson(*result.readBack);
    if (!result.readAt.empty())
        object["readAt"] = qt(result.readAt);
    return object;
}

std::string jsonText(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

} // namespace

core::Language languageFromLocale()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return {static_cast<std::uint8_t>(std::string_view(value).starts_with("zh") ? 0 : 1)};
    }
    return {1};
}

ExitCode exitCodeOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Ok:
        return ExitCode::Ok;
    case Outcome::NoRadio:
        return ExitCode::NoRadio;
    case Outcome::PortError:
        return ExitCode::PortError;
    case Outcome::WriteFailed:
        return ExitCode::WriteFailed;
    case Outcome::Mismatch:
        return ExitCode::Mismatch;
    }
    return ExitCode::PortError;
}

// A port without a radio is no failure when another port had one (apply --all on a PC with
// more ports than radios).
ExitCode exitCodeOf(const std::vector<PortResult>& results)
{
    const bool anyRadio = std::any_of(results.begin(), results.end(),
        [](const PortResult& result) { return result.outcome != Outcome::NoRadio; });
    if (!anyRadio)
        return ExitCode::NoRadio;
    for (const PortResult& result : results) {
        if (result.outcome != Outcome::Ok && result.outcome != Outcome::NoRadio)
            return exitCodeOf(result.outcome);
    }
    return ExitCode::Ok;
}

std::string oneLine(const std::string& text)
{
    std::string line;
    bool space = false;
    for (const char c : text) {
        if (c == '\n' || c == ' ' || c == '\t') {
            space = !line.empty();
            continue;
        }
        if (space)
            line += ' ';
        space = false;
        line += c;
    }
    return line;
}

std::string portsTable(const platform::SerialPortProvider& ports, const core::Language& language)
{
    std::vector<std::vector<std::string>> rows
        = {{language.pick("Port", "端口"), language.pick("Device", "设备"), "by-id"}};
    for (int number = 1; number <= platform::kPortCount; ++number) {
        const platform::PortEntry entry = ports.entry(number);
        rows.push_back({"COM" + std::to_string(number), serial::deviceLine(entry, number, language),
            entry.device ? entry.device->byId : std::string()});
    }
    return table(rows);
}

std::string portsJson(const platform::SerialPortProvider& ports, const core::Language& language)
{
    QJsonArray list;
    for (int number = 1; number <= platform::kPortCount; ++number) {
        const platform::PortEntry entry = ports.entry(number);
        QJsonObject port {
            {"port", qt("COM" + std::to_string(number))},
            {"present", entry.present},
            {"pinned", entry.pinned},
            {"description", qt(serial::deviceLine(entry, number, language))},
        };
        if (entry.device) {
            const platform::SerialDevice& device = *entry.device;
            port["device"] = qt(device.path);
            port["identity"] = qt(device.identity);
            port["byId"] = qt(device.byId);
            if (!device.vendorId.empty())
                port["usb"] = qt(device.vendorId + ":" + device.productId);
        }
        list.append(port);
    }
    return jsonText({{"command", "ports"}, {"ports", list}});
}

std::string resultsTable(const std::vector<PortResult>& results, const core::Language& language)
{
    std::vector<std::vector<std::string>> rows = {{language.pick("Port", "端口"),
        language.pick("Device", "设备"), language.pick("Result", "结果"),
        language.pick("Model", "电台型号"), language.pick("Channel", "信道号"),
        language.pick("Air rate", "空中速率"), language.pick("Serial", "串口模式"), "ID"}};
    for (const PortResult& result : results) {
        std::vector<std::string> row = {result.port, result.device, outcomeText(result, language)};
        const radio::WriteValues* values = shownValues(result);
        if (values && result.before) {
            row.push_back(radio::modelVersionText(result.before->version));
            row.push_back(std::to_string(values->channel));
            row.push_back(std::to_string(values->airRate));
            row.push_back(radio::serialModeText({values->speedIndex, values->parityIndex}));
            row.push_back(radio::idText(values->id));
        }
        rows.push_back(row);
    }
    return table(rows);
}

std::string resultsJson(
    const std::string& command, const std::string& file, const std::vector<PortResult>& results)
{
    QJsonArray list;
    for (const PortResult& result : results)
        list.append(resultJson(result));
    QJsonObject document {
        {"command", qt(command)},
        {"exitCode", static_cast<int>(exitCodeOf(results))},
        {"results", list},
    };
    if (!file.empty())
        document["file"] = qt(file);
    return jsonText(document);
}

} // namespace cli
