#include "exchange_rig.h"

#include "serial/SerialLink.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using e2e::ExchangeRig;

// The simulator keeps the time of a real line both ways and the exchange counts its time-outs
// in ticks, so the ticks are the window timers' own 10 ms: at 300 bit/s a request (7 bytes),
// the turnaround and the longest answer (9 bytes) take 540 ms of the 830 ms a step may take.
constexpr std::chrono::milliseconds kTick {10};
// Where no answer has to arrive in time.
constexpr std::chrono::milliseconds kFastTick {2};

const std::string kProbeHex = "55 AA 03 27 00 00 2A";

struct Combination
{
    std::uint8_t speedIndex;
    std::uint8_t parityIndex;

    std::string label() const
    {
        return serial::speedTextForIndex(speedIndex) + "-"
            + serial::parityLetterForIndex(parityIndex);
    }
    std::vector<std::string> simArgs() const
    {
        static const char* parities[] = {"none", "odd", "even"};
        return {
            "--speed", serial::speedTextForIndex(speedIndex), "--parity", parities[parityIndex]};
    }
};

// The probe's k-th attempt (from 0) after a port search, which starts at 9600 none: each
// parity in turn, then the next speed, 19200 following 300.
Combination probeAttempt(int k)
{
    return {static_cast<std::uint8_t>((1 + k / 3) % serial::kSpeedCount),
        static_cast<std::uint8_t>(k % 3)};
}

std::string frame(const Combination& at, const std::string& kind, const std::string& hex)
{
    return at.label() + " " + kind + " " + hex;
}

std::vector<std::string> readExchange(const Combination& at)
{
    return {frame(at, "answered", kProbeHex), frame(at, "answered", kProbeHex),
        frame(at, "answered", "55 AA 03 23 00 00 26"),
        frame(at, "answered", "55 AA 03 24 00 00 27"),
        frame(at, "answered", "55 AA 03 26 00 00 29")};
}

// A read, then a write of the four frames given (air rate, ID, channel, serial mode).
std::vector<std::string> readThenWrite(
    const Combination& at, std::initializer_list<const char*> writeFrames)
{
    std::vector<std::string> frames = readExchange(at);
    frames.push_back(frame(at, "answered", kProbeHex));
    for (const char* hex : writeFrames)
        frames.push_back(frame(at, "answered", hex));
    return frames;
}

platform::LineSettings portSettings(ExchangeRig& rig)
{
    platform::LineSettings line;
    EXPECT_TRUE(rig.link.handle.port().getSettings(line));
    return line;
}

TEST(ExchangeEndToEnd, readFindsTheRadioAtEachCombinationAtItsPlaceInTheProbeOrder)
{
    // All eighteen radios at once, each on its own pty, so the run takes as long as the last.
    std::vector<std::unique_ptr<ExchangeRig>> rigs;
    std::vector<ExchangeRig*> all;
    for (int k = 0; k < 18; ++k) {
        rigs.push_back(std::make_unique<ExchangeRig>(probeAttempt(k).simArgs()));
        all.push_back(rigs.back().get());
        rigs.back()->exchange.startRead();
    }
    e2e::runAll(all, kTick);

    for (int k = 0; k < 18; ++k) {
        const Combination radio = probeAttempt(k);
        ExchangeRig& rig = *rigs[static_cast<std::size_t>(k)];
        SCOPED_TRACE(radio.label());
        ASSERT_EQ(rig.dialogs.shown.size(), 1u);
        EXPECT_EQ(rig.dialogs.shown[0].text, "参数读取成功");
        EXPECT_EQ(rig.view.speed, radio.speedIndex);
        EXPECT_EQ(rig.view.parity, radio.parityIndex);
        EXPECT_EQ(rig.view.id, "123456");
        EXPECT_EQ(rig.status.text(core::StatusPanel::SerialMode), radio.label() + "-1");

        std::vector<std::string> expected;
        for (int earlier = 0; earlier < k; ++earlier)
            expected.push_back(frame(probeAttempt(earlier), "ignored", kProbeHex));
        for (const auto& line : readExchange(radio))
            expected.push_back(line);
        EXPECT_EQ(rig.frames(), expected);
    }
}

TEST(ExchangeEndToEnd, writeSendsTheFourFramesAndThePortFollowsTheNewSerialMode)
{
    ExchangeRig rig({});
    rig.exchange.startRead();
    e2e::runAll({&rig}, kTick);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    ASSERT_TRUE(rig.view.writeEnabled);

    rig.view.channel = 6;
    rig.view.speed = 3;
    rig.view.parity = 1;
    rig.exchange.startWrite();
    e2e::runAll({&rig}, kTick);
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    EXPECT_EQ(rig.dialogs.shown[1].text, "参数设置成功");

    const auto expected = readThenWrite({1, 0},
        {"55 AA 04 20 05 01 00 2A", "55 AA 05 32 12 34 56 00 D3", "55 AA 06 07 07 00 00 00 00 14",
            "55 AA 03 28 23 00 4E"});
    EXPECT_EQ(rig.frames(), expected);

    const platform::LineSettings line = portSettings(rig);
    EXPECT_EQ(line.baudRate, 2400u);
    // A pty keeps INPCK and PARODD but not PARENB; the simulator's log below shows "2400-O".
    EXPECT_TRUE(line.parityCheck);
    EXPECT_EQ(rig.link.settings.timeoutBase, 11);
    EXPECT_EQ(rig.status.text(core::StatusPanel::SerialMode), "2400-O-1");

    // The radio took the new mode too: the next read finds it with its first probe.
    rig.exchange.startRead();
    e2e::runAll({&rig}, kTick);
    const auto frames = rig.frames();
    ASSERT_EQ(frames.size(), expected.size() + 5);
    EXPECT_EQ(frames[expected.size()], frame({3, 1}, "answered", kProbeHex));
    EXPECT_EQ(rig.view.channel, 6);
}

// Behind a USB adapter's 16 ms latency timer at 19200 bit/s: a Read, then a Write read back;
// a radio that acknowledges the channel without taking it is caught by the read back.
TEST(ExchangeEndToEnd, behindAUsbAdapterAVerifiedWriteAndALyingRadiosMismatch)
{
    for (const bool lying : {false, true}) {
        SCOPED_TRACE(lying ? "lying" : "honest");
        std::vector<std::string> args {"--speed", "19200", "--usb-adapter", "--channel", "3"};
        if (lying)
            args.insert(args.end(), {"--ignore-write", "channel"});
        ExchangeRig rig(args);
        rig.language.value = 1;
        rig.portView.speed = 0;
        rig.controller.openFromDialog();
        rig.exchange.startRead();
        e2e::runAll({&rig}, kTick);
        ASSERT_EQ(rig.dialogs.shown.size(), 1u);
        EXPECT_EQ(rig.dialogs.shown[0].text, "Read correct!");
        EXPECT_EQ(rig.view.channel, 2);

        rig.view.verify = true;
        rig.view.channel = 20;
        rig.exchange.startWrite();
        e2e::runAll({&rig}, kTick);
        ASSERT_EQ(rig.dialogs.shown.size(), 2u);
        EXPECT_EQ(rig.dialogs.shown[1].text,
            lying ? "Write error! The radio acknowledged the write, but reads back other "
                    "values:\nChannel: written 21, read back 3"
                  : "Write correct!\nThe values were read back and match.");
    }
}

TEST(ExchangeEndToEnd, writeOfANewChannelGivesAnErasedRadioBackItsOwnAirRateAndId)
{
    // Air rate 5 is not in the hidden air-rate list, and FF FF FF is not a decimal ID.
    ExchangeRig rig({"--air-rate", "5", "--id", "0xFFFFFF"});
    rig.exchange.startRead();
    e2e::runAll({&rig}, kTick);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    ASSERT_EQ(rig.dialogs.shown[0].text, "参数读取成功");
    EXPECT_EQ(rig.view.airRate, -1);
    EXPECT_EQ(rig.view.id, "000000");

    rig.view.channel = 20;
    rig.exchange.startWrite();
    e2e::runAll({&rig}, kTick);
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    EXPECT_EQ(rig.dialogs.shown[1].text, "参数设置成功");
    EXPECT_EQ(rig.dialogs.shown[1].caption, "写参数");

    // Air rate 05 and ID FF FF FF go back as they came; channel 21 is 0x15.
    EXPECT_EQ(rig.frames(),
        readThenWrite({1, 0},
            {"55 AA 04 20 05 05 00 2E", "55 AA 05 32 FF FF FF 03 34",
                "55 AA 06 07 15 00 00 00 00 22", "55 AA 03 28 01 00 2C"}));

    // The radio kept its air rate and took the channel.
    rig.exchange.startRead();
    e2e::runAll({&rig}, kTick);
    ASSERT_EQ(rig.dialogs.shown.size(), 3u);
    EXPECT_EQ(rig.dialogs.shown[2].text, "参数读取成功");
    EXPECT_EQ(rig.view.channel, 20);
    EXPECT_EQ(rig.view.airRate, -1);
}

TEST(ExchangeEndToEnd, withoutARadioTheProbeGivesUpAfter19AttemptsWhereItStarted)
{
    ExchangeRig rig({"--no-answer"});
    rig.exchange.startRead();
    e2e::runAll({&rig}, kFastTick);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].text,
        "检测电台失败\nCOM1:请检查电台电源、连接电缆、电台串口,以及是否有其他程序占用该端口。");
    const auto frames = rig.frames();
    ASSERT_EQ(frames.size(), 19u);
    for (int k = 0; k < 19; ++k)
        EXPECT_EQ(frames[static_cast<std::size_t>(k)].rfind(probeAttempt(k).label() + " ", 0), 0u)
            << frames[static_cast<std::size_t>(k)];
    const platform::LineSettings line = portSettings(rig);
    EXPECT_EQ(line.baudRate, 9600u);
    EXPECT_FALSE(line.parityCheck);
}

TEST(ExchangeEndToEnd, aFloodingRadioEndsInTimeouts)
{
    ExchangeRig rig({"--no-pace", "--flood", "400"});
    rig.language.value = 1;
    rig.exchange.startRead();
    e2e::runAll({&rig}, kFastTick);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].text,
        "Connect error!\nCOM1: check the radio's power, the cable, the radio's serial port, and "
        "that no other program uses the port.");
    EXPECT_EQ(rig.frames().size(), 19u);
}

TEST(ExchangeEndToEnd, retryAfterAReadErrorRestartsAtStepZeroWithoutANewProbe)
{
    // Model 0 passes the probe but not read step 0.
    const Combination radio {2, 2};
    auto args = radio.simArgs();
    args.insert(args.end(), {"--model", "0"});
    ExchangeRig rig(args);
    rig.dialogs.answers = {platform::MessageResult::Retry, platform::MessageResult::Cancel};
    rig.exchange.startRead();
    e2e::runAll({&rig}, kTick);

    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    for (const auto& shown : rig.dialogs.shown) {
        EXPECT_EQ(shown.text.substr(0, shown.text.find('\n')), "参数读取失败");
        EXPECT_EQ(shown.buttons, platform::MessageButtons::RetryCancel);
    }
    std::vector<std::string> expected;
    for (int k = 0; k < 5; ++k)
        expected.push_back(frame(probeAttempt(k), "ignored", kProbeHex));
    for (int sent = 0; sent < 3; ++sent) // probe, step 0, step 0 again
        expected.push_back(frame(radio, "answered", kProbeHex));
    EXPECT_EQ(rig.frames(), expected);
    EXPECT_EQ(rig.progress.maximum, 4);
    EXPECT_TRUE(rig.receivePoll.isActive());
}

TEST(ExchangeEndToEnd, aVanishingDeviceEndsTheProbeAndClosesThePort)
{
    // The first probe goes out at 9600 none, which the radio ignores; then its device goes.
    auto args = Combination {2, 2}.simArgs();
    args.insert(args.end(), {"--vanish-after", "1"});
    ExchangeRig rig(args);
    rig.language.value = 1;
    rig.exchange.startRead();
    EXPECT_LT(e2e::runAll({&rig}, kTick), 80);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].text,
        "Connect error!\nCOM1: the port's device is gone (unplugged?); the port has been closed.");
    EXPECT_FALSE(rig.link.handle.isValid());
    EXPECT_EQ(rig.link.settings.portNumber, 0);
    EXPECT_EQ(rig.status.text(core::StatusPanel::Connection), "Disconnect");
    EXPECT_FALSE(rig.receivePoll.isActive());
}

// Against radios that tell the truth, lie, or vanish halfway, what the window keeps as the
// radio's own values after a verified write is what the radio holds, or nothing where that
// cannot be known; the next plain Write then sends nothing.
TEST(ExchangeEndToEnd, afterEachWritePathTheKnownValuesAreWhatTheRadioHolds)
{
    using Values = radio::WriteValues;
    const Values written {1, {0x12, 0x34, 0x56}, 21, 1, 0};
    const struct
    {
        const char* name;
        std::vector<std::string> args;
        std::optional<Values> held;
    } rows[] = {
        {"verified", {}, written},
        {"lying about the channel", {"--ignore-write", "channel"},
            Values {1, {0x12, 0x34, 0x56}, 1, 1, 0}},
        // Probe and read are five frames, the write's probe a sixth: the air rate is the last.
        {"vanishing after the air rate", {"--vanish-after", "7"}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto args = row.args;
        args.insert(args.end(), {"--channel", "1", "--id", "123456", "--air-rate", "1"});
        ExchangeRig rig(args);
        rig.language.value = 1;
        rig.exchange.startRead();
        e2e::runAll({&rig}, kTick);
        ASSERT_EQ(rig.dialogs.shown.size(), 1u);
        rig.view.verify = true;
        rig.view.channel = 20;
        rig.exchange.startWrite();
        e2e::runAll({&rig}, kTick);
        EXPECT_EQ(rig.exchange.heldValues(), row.held);
        if (!row.held) {
            rig.exchange.startWrite();
            EXPECT_FALSE(rig.running());
            EXPECT_NE(
                rig.dialogs.shown.back().text.find("Read the radio first"), std::string::npos);
        }
    }
}

// Escape in the middle of a probe leaves the terminal's port at the speed and parity the user
// opened it at, not at the probe's last guess.
TEST(ExchangeEndToEnd, aStoppedProbeLeavesThePortAsTheUserOpenedIt)
{
    ExchangeRig rig(Combination {5, 2}.simArgs());
    rig.portView.speed = 3;
    rig.portView.parity = 1;
    rig.controller.openFromDialog();
    rig.exchange.startRead();
    while (portSettings(rig).baudRate != 1200)
        e2e::runAll({&rig}, kFastTick, 1);
    rig.exchange.stopCommand();
    const platform::LineSettings line = portSettings(rig);
    EXPECT_EQ(line.baudRate, 2400u);
    // A pty keeps INPCK but drops PARENB: parity checking on is what shows odd parity here.
    EXPECT_TRUE(line.parityCheck);
    EXPECT_EQ(rig.link.settings.parityIndex, 1);
    EXPECT_EQ(rig.status.text(core::StatusPanel::SerialMode), "2400-O-1");
}

} // namespace
