#include "Output.h"

#include "PortTargets.h"
#include "TextWrap.h"
#include "radio/RadioSettings.h"
#include "serial/PortTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace cli {

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
    case Outcome::Interrupted:
        return "interrupted";
    case Outcome::TimedOut:
        return "timed-out";
    case Outcome::Differs:
        return "differs";
    }
    return "";
}

std::string outcomeText(const PortResult& result, const core::Language& language)
{
    const int taken = result.writeProgress.taken;
    if (result.outcome != Outcome::Ok && taken > 0 && taken < radio::RadioSession::kSteps)
        return language.pick("partly written", "部分写入");
    switch (result.outcome) {
    case Outcome::Ok:
        if (result.unchanged)
            return language.pick("unchanged", "无需更改");
        return result.readBack ? language.pick("verified", "已校验") : language.pick("OK", "成功");
    case Outcome::NoRadio:
        return language.pick("no radio", "无电台");
    case Outcome::PortError:
        return language.pick("port error", "端口错误");
    case Outcome::WriteFailed:
        return language.pick("write failed", "写入失败");
    case Outcome::Mismatch:
        return language.pick("mismatch", "校验不符");
    case Outcome::Interrupted:
        return language.pick("interrupted", "已中断");
    case Outcome::TimedOut:
        return language.pick("timed out", "超时");
    case Outcome::Differs:
        return language.pick("differs", "不一致");
    }
    return {};
}

std::array<std::string, radio::RadioSession::kSteps> valueTexts(const radio::WriteValues& values)
{
    return {std::to_string(values.airRate), radio::idText(values.id),
        std::to_string(values.channel),
        radio::serialModeText({values.speedIndex, values.parityIndex})};
}

std::array<std::string, radio::RadioSession::kSteps> heldTexts(const PortResult& result)
{
    const QJsonObject held = heldJson(result);
    const auto text = [&held](const char* key) {
        const QJsonValue value = held[key];
        return value.isNull()  ? std::string("?")
            : value.isString() ? value.toString().toStdString()
                               : std::to_string(value.toInt());
    };
    return {text("air-rate"), text("id"), text("channel"), text("serial")};
}

namespace {

// The keys of the values of the write steps, as the settings file names them, in their order.
constexpr std::array<const char*, radio::RadioSession::kSteps> kStepKeys
    = {"air-rate", "id", "channel", "serial"};

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
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

QJsonArray stepKeys(int from, int to)
{
    QJsonArray keys;
    for (int step = from; step < to; ++step)
        keys.append(kStepKeys[static_cast<std::size_t>(step)]);
    return keys;
}

std::string jsonText(const QJsonObject& object, bool line)
{
    return QJsonDocument(object)
               .toJson(line ? QJsonDocument::Compact : QJsonDocument::Indented)
               .toStdString()
        + (line ? "\n" : "");
}

// The object as a document of this format, of the command.
QJsonObject document(const std::string& command, QJsonObject object)
{
    object["format"] = kJsonFormat;
    object["command"] = qt(command);
    return object;
}

} // namespace

QJsonObject valuesJson(const radio::WriteValues& values)
{
    const auto rate = radio::airRateBitsPerSecond(values.airRate);
    return {
        {"channel", values.channel},
        {"air-rate", values.airRate},
        {"air-rate-bps", rate ? QJsonValue(static_cast<qint64>(*rate)) : QJsonValue()},
        {"serial", qt(radio::serialModeText({values.speedIndex, values.parityIndex}))},
        {"id", qt(radio::idText(values.id))},
    };
}

QJsonObject heldJson(const PortResult& result)
{
    if (result.readBack)
        return valuesJson(*result.readBack);
    QJsonObject held = valuesJson(result.before->held);
    if (!result.written)
        return held;
    const QJsonObject written = valuesJson(*result.written);
    for (int step = 0; step < result.writeProgress.sent; ++step) {
        const bool took = step < result.writeProgress.taken;
        const QString key = kStepKeys[static_cast<std::size_t>(step)];
        held[key] = took ? written[key] : QJsonValue();
        if (key == "air-rate")
            held["air-rate-bps"] = took ? written["air-rate-bps"] : QJsonValue();
    }
    return held;
}

QJsonObject resultJson(const PortResult& result)
{
    QJsonObject object {
        {"port", qt(printable(result.port))},
        {"device", qt(printable(result.device))},
        {"outcome", outcomeKey(result.outcome)},
    };
    if (!result.identity.empty() && result.identity != result.device
        && result.identity != result.port)
        object["by-id"] = qt(printable(result.identity));
    if (!result.reasonCode.empty())
        object["reason-code"] = qt(result.reasonCode);
    if (!result.reason.empty())
        object["reason"] = qt(oneLine(result.reason));
    if (result.before) {
        object["model"] = qt(radio::modelVersionText(result.before->version));
        object["model-code"] = result.before->model;
        object["values"] = heldJson(result);
        object["read-at"] = qt(result.readAt);
    }
    if (result.written) {
        object["before"] = valuesJson(result.before->held);
        object["requested"] = valuesJson(*result.written);
        object["took"] = stepKeys(0, result.writeProgress.taken);
        object["unconfirmed"] = stepKeys(result.writeProgress.taken, result.writeProgress.sent);
    }
    if (result.readBack)
        object["read-back"] = valuesJson(*result.readBack);
    if (result.unchanged)
        object["unchanged"] = true;
    if (!result.savedTo.empty())
        object["saved-to"] = qt(printable(result.savedTo));
    return object;
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
    case Outcome::Differs:
        return ExitCode::Mismatch;
    case Outcome::Interrupted:
        return ExitCode::Interrupted;
    case Outcome::TimedOut:
        return ExitCode::TimedOut;
    }
    return ExitCode::PortError;
}

// A port without a radio is no failure when another port had one (apply --all on a PC with
// more ports than radios).
std::vector<const PortResult*> failuresOf(const std::vector<PortResult>& results)
{
    const bool anyRadio = std::any_of(results.begin(), results.end(),
        [](const PortResult& result) { return result.outcome != Outcome::NoRadio; });
    std::vector<const PortResult*> failures;
    for (const PortResult& result : results) {
        if (result.outcome != Outcome::Ok && (result.outcome != Outcome::NoRadio || !anyRadio))
            failures.push_back(&result);
    }
    return failures;
}

ExitCode exitCodeOf(const std::vector<PortResult>& results)
{
    const auto failures = failuresOf(results);
    if (results.empty())
        return ExitCode::NoRadio;
    return failures.empty() ? ExitCode::Ok : exitCodeOf(failures.front()->outcome);
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

namespace {

struct ListedPort
{
    std::string name; // COMn, else the device's path
    int number; // n of COMn, else 0
    platform::PortEntry entry;
};

// COM1 to COM8, then the devices beyond them.
std::vector<ListedPort> listedPorts(const platform::SerialPortProvider& ports)
{
    std::vector<ListedPort> list;
    for (int number = 1; number <= platform::kPortCount; ++number)
        list.push_back({"COM" + std::to_string(number), number, ports.entry(number)});
    for (const platform::SerialDevice& device : devicesBeyondComn(ports))
        list.push_back({printable(device.path), 0, {device, true, false}});
    return list;
}

} // namespace

std::string portsTable(const platform::SerialPortProvider& ports, const core::Language& language)
{
    std::vector<std::vector<std::string>> rows
        = {{language.pick("Port", "端口"), language.pick("Device", "设备"), "by-id"}};
    for (const ListedPort& port : listedPorts(ports)) {
        rows.push_back({port.name, serial::deviceLine(port.entry, port.number, language),
            port.entry.device ? printable(port.entry.device->byId) : std::string()});
    }
    return table(rows);
}

std::string portsJson(
    const platform::SerialPortProvider& ports, const core::Language& language, bool lines)
{
    QJsonArray list;
    std::string text;
    for (const ListedPort& listed : listedPorts(ports)) {
        const platform::PortEntry& entry = listed.entry;
        QJsonObject port {
            {"port", qt(listed.name)},
            {"present", entry.present},
            {"pinned", entry.pinned},
            {"description", qt(serial::deviceLine(entry, listed.number, language))},
        };
        if (entry.device) {
            const platform::SerialDevice& device = *entry.device;
            port["device"] = qt(printable(device.path));
            port["identity"] = qt(printable(device.identity));
            port["by-id"] = qt(printable(device.byId));
            if (!device.vendorId.empty())
                port["usb"] = qt(device.vendorId + ":" + device.productId);
        }
        if (lines)
            text += jsonText(document("ports", port), true);
        list.append(port);
    }
    return lines ? text : jsonText(document("ports", {{"ports", list}}), false);
}

std::string resultsTable(const std::vector<PortResult>& results, const core::Language& language)
{
    std::vector<std::vector<std::string>> rows = {{language.pick("Port", "端口"),
        language.pick("Device", "设备"), language.pick("Result", "结果"),
        language.pick("Model", "电台型号"), language.pick("Channel", "信道号"),
        language.pick("Air rate", "空中速率"), language.pick("Serial", "串口模式"), "ID"}};
    for (const PortResult& result : results) {
        std::vector<std::string> row
            = {printable(result.port), printable(result.device), outcomeText(result, language)};
        if (result.before) {
            const auto held = heldTexts(result);
            row.insert(row.end(),
                {radio::modelVersionText(result.before->version), held[2], held[0], held[3],
                    held[1]});
        }
        rows.push_back(row);
    }
    return table(rows);
}

std::string resultsJson(const std::string& command, const std::string& file,
    const std::vector<PortResult>& results, ExitCode code, bool lines)
{
    QJsonObject named;
    if (!file.empty())
        named["file"] = qt(printable(file));
    if (lines) {
        std::string text;
        for (const PortResult& result : results) {
            QJsonObject object = resultJson(result);
            if (!file.empty())
                object["file"] = named["file"];
            text += jsonText(document(command, object), true);
        }
        return text;
    }
    QJsonArray list;
    for (const PortResult& result : results)
        list.append(resultJson(result));
    named["exit-code"] = static_cast<int>(code);
    named["results"] = list;
    return jsonText(document(command, named), false);
}

std::string errorJson(const std::string& command, const std::string& file, ExitCode code,
    const std::string& reasonCode, const std::string& reason, bool line)
{
    QJsonObject object {
        {"exit-code", static_cast<int>(code)},
        {"reason-code", qt(reasonCode)},
        {"reason", qt(oneLine(reason))},
    };
    if (!file.empty())
        object["file"] = qt(printable(file));
    return jsonText(document(command, object), line);
}

std::string jsonLine(const QJsonObject& object)
{
    return jsonText(object, true);
}

} // namespace cli
