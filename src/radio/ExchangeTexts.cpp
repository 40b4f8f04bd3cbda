#include "ExchangeTexts.h"

#include "ChangePreview.h"
#include "core/PrintableText.h"

#include <array>

namespace radio {

namespace {

// By Operation: Connect, Read, Write.
constexpr std::array<OperationTexts, 3> kOperationTexts = {{
    {"Connect error!", "检测电台失败", "参数"},
    {"Read error!", "参数读取失败", "读参数"},
    {"Write error!", "参数设置失败", "写参数"},
}};

// By WriteValue.
constexpr std::array<std::array<const char*, 2>, 4> kMissingValueTexts = {{
    {"Nothing written: the radio's air rate and ID are not known. Read the radio first!",
        "参数未写入:电台的空中速率和ID码未知,请先读电台!"},
    {"Nothing written: no channel selected!", "参数未写入:未选择信道号!"},
    {"Nothing written: no serial speed selected!", "参数未写入:未选择串口速率!"},
    {"Nothing written: no serial parity selected!", "参数未写入:未选择串口校验!"},
}};

// What each write step puts into the radio, by step.
constexpr std::array<std::array<const char*, 2>, RadioSession::kSteps> kWriteStepNames = {{
    {"air rate", "空中速率"},
    {"ID", "ID码"},
    {"channel", "信道号"},
    {"serial mode", "串口速率和校验"},
}};
constexpr std::array<std::array<const char*, 2>, RadioSession::kSteps> kReadStepNames = {{
    {"model and version", "型号和版本"},
    {"air rate", "空中速率"},
    {"channel", "信道号"},
    {"ID", "ID码"},
}};

} // namespace

const OperationTexts& operationTexts(Operation operation)
{
    return kOperationTexts[static_cast<std::size_t>(operation)];
}

core::Bilingual connectErrorText(const std::string& port, const std::string& hiddenHoldersDevice)
{
    const OperationTexts& text = operationTexts(Operation::Connect);
    core::Bilingual message {std::string(text.failureEnglish) + "\n" + port
            + ": check the radio's power, the cable, the radio's serial port, and that no other "
              "program uses the port.",
        std::string(text.failureChinese) + "\n" + port
            + ":请检查电台电源、连接电缆、电台串口,以及是否有其他程序占用该端口。"};
    if (hiddenHoldersDevice.empty())
        return message;
    const std::string device = core::printable(hiddenHoldersDevice);
    message.english += "\nA program of another user (ModemManager, gpsd, a getty) may have "
        + device
        + " open unseen: without root this program cannot see other users' open files. To list "
          "every program that has it open:\n    sudo fuser -v "
        + device;
    message.chinese += "\n其他用户的程序(ModemManager、gpsd、getty 等)可能已打开 " + device
        + ":本程序没有 root 权限,看不到其他用户打开的文件。列出打开该设备的所有程序:\n    sudo "
          "fuser -v "
        + device;
    return message;
}

core::Bilingual stepFailureText(const RadioSession::State& state, const std::string& port)
{
    const auto step = static_cast<std::size_t>(state.step);
    if (state.writeMode) {
        const auto& name = kWriteStepNames.at(step);
        return {"Write error!\n" + port + ": the radio did not acknowledge the " + name[0]
                + ". Check its power and the cable and that it is not busy transmitting, and "
                  "read it again before the next Write.",
            "参数设置失败\n" + port + ":电台未确认" + name[1]
                + "。请检查电台电源和连接电缆,以及电台是否正在发射;再次写参数前请先读电台。"};
    }
    const auto& name = kReadStepNames.at(step);
    return {"Read error!\n" + port
            + ": the radio answered the probe but gave no valid answer to the query for its "
            + name[0] + ". Check its power and the cable, and that no other program uses the port.",
        "参数读取失败\n" + port + ":电台应答了探测,但对" + name[1]
            + "查询未给出有效应答。请检查电台电源和连接电缆,以及是否有其他程序占用该端口。"};
}

WriteProgress writeProgress(const RadioSession::State& state)
{
    if (!state.writeMode || state.connectMode)
        return {};
    // A request that is still pending has not gone out yet.
    return {state.step, state.step + (state.sendPending ? 0 : 1)};
}

core::Bilingual partialWriteText(const RadioSession::State& state)
{
    return partialWriteText(writeProgress(state));
}

core::Bilingual partialWriteText(WriteProgress progress)
{
    if (progress.taken == 0)
        return {};
    std::array<core::Bilingual, 3> lists; // took, not confirmed, not sent
    for (int step = 0; step < RadioSession::kSteps; ++step) {
        core::Bilingual& list = lists[step < progress.taken ? 0 : step < progress.sent ? 1 : 2];
        const auto& name = kWriteStepNames[static_cast<std::size_t>(step)];
        list.english += (list.english.empty() ? "" : ", ") + std::string(name[0]);
        list.chinese += (list.chinese.empty() ? "" : "、") + std::string(name[1]);
    }
    core::Bilingual line {
        "\nThe radio took: " + lists[0].english + ".", "\n电台已接受:" + lists[0].chinese};
    if (!lists[1].english.empty()) {
        line.english += " Not confirmed: " + lists[1].english + ".";
        line.chinese += ";未确认:" + lists[1].chinese;
    }
    if (!lists[2].english.empty()) {
        line.english += " Not sent: " + lists[2].english + ".";
        line.chinese += ";未发送:" + lists[2].chinese;
    }
    return line;
}

core::Bilingual mismatchText(const WriteValues& written, const WriteValues& readBack)
{
    core::Bilingual text {
        "Write error! The radio acknowledged the write, but reads back other values:",
        "参数设置失败:电台已确认写入,但回读的参数不同:"};
    for (const ValueChange& change : changedValues(written, readBack)) {
        text.english += "\n" + change.name.english + ": written " + change.before.english
            + ", read back " + change.after.english;
        text.chinese += "\n" + change.name.chinese + ":写入 " + change.before.chinese + ",回读 "
            + change.after.chinese;
    }
    return text;
}

core::Bilingual missingValueText(WriteValue missing)
{
    const auto& text = kMissingValueTexts[static_cast<std::size_t>(missing)];
    return {text[0], text[1]};
}

core::Bilingual readBackFailedText()
{
    return {"Write error! The radio acknowledged the write, but does not answer the read back.",
        "参数设置失败:电台已确认写入,但回读时无应答。"};
}

core::Bilingual followRefusedText()
{
    return {"The radio took the write, but the port did not take its new serial mode, so the "
            "values were not read back.",
        "电台已接受写入,但通讯端口未能切换到新的串口设置,未回读校验。"};
}

} // namespace radio
