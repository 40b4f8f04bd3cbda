// The radio conversation without a window, as the command line drives it.
#include "radio/RadioSession.h"
#include "FakeDialogs.h"
#include "ScriptedRadio.h"
#include "radio/ExchangeTexts.h"

#include <gtest/gtest.h>

namespace {

using radio::RadioSession;
using Outcome = RadioSession::Outcome;

class RadioSessionTest : public testing::Test, private RadioSession::Observer
{
protected:
    RadioSessionTest()
    {
        link.handle.assign(std::make_unique<fakes::FakeSerialPort>(port));
        link.settings.speedIndex = 1;
    }

    // Ticks until the conversation ends; its outcome.
    Outcome run()
    {
        outcome.reset();
        for (int ticks = 0; !outcome && ticks < 10000; ++ticks) {
            clock.nowMs += 10;
            session.sendTick();
            modem.tick();
            session.receiveTick();
        }
        return outcome.value();
    }
    radio::WriteValues read()
    {
        session.startRead();
        EXPECT_EQ(run(), Outcome::ReadDone);
        const auto& radio = session.radio();
        return {radio.reported.airRate, radio.reported.id, radio.channel, 1, 0};
    }

    std::shared_ptr<fakes::PortState> port = std::make_shared<fakes::PortState>();
    radiotest::ScriptedRadio modem {port};
    serial::SerialLink link;
    fakes::FakeSystem clock;
    RadioSession session {link, clock, *this};
    std::optional<Outcome> outcome;
    int follows = 0;

private:
    bool followSerialMode() override
    {
        ++follows;
        link.settings.speedIndex = session.writeValues().speedIndex;
        link.settings.parityIndex = session.writeValues().parityIndex;
        return serial::applyLinkSettings(link);
    }
    void finished(Outcome result) override { outcome = result; }
};

// A write read back: what the radio took matches; a value it acknowledged without taking is
// named with what was written and what it holds; a new serial mode is followed first.
TEST_F(RadioSessionTest, aWriteReadBackMatchesOrNamesWhatTheRadioDidNotTake)
{
    const struct
    {
        const char* name;
        std::optional<std::uint8_t> ignored;
        Outcome outcome;
        const char* mismatch;
    } rows[] = {
        {"taken", std::nullopt, Outcome::Verified, ""},
        {"ID ignored", radio::cmd::WriteId, Outcome::Mismatch,
            "\nID: written 654321, read back 123456"},
        {"air rate ignored", radio::cmd::WriteSelector, Outcome::Mismatch,
            "\nAir rate: written 2400 bit/s, read back 9600 bit/s"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        modem.line = port->settings = {};
        modem.airRate = 1;
        modem.id = {0x12, 0x34, 0x56};
        modem.ignoreWrite = row.ignored;
        link.settings.speedIndex = 1;
        link.settings.parityIndex = 0;
        radio::WriteValues values = read();
        values.airRate = 3;
        values.id = {0x65, 0x43, 0x21};
        values.speedIndex = 2;
        follows = 0;
        session.startWrite(values, true);
        EXPECT_EQ(run(), row.outcome);
        EXPECT_EQ(follows, 1);
        EXPECT_EQ(port->settings.baudRate, 4800u);
        if (row.outcome == Outcome::Mismatch) {
            const auto text = radio::mismatchText(values, session.readBack());
            EXPECT_EQ(text.english.substr(text.english.find('\n')), row.mismatch);
        } else {
            EXPECT_EQ(session.readBack(), values);
        }
    }
}

// Without a read back the write ends at the last acknowledgement and the port stays; a write
// that stops part way says what the radio took.
TEST_F(RadioSessionTest, aPlainWriteEndsAtItsLastAcknowledgementOrSaysWhatWasTaken)
{
    radio::WriteValues values = read();
    values.speedIndex = 3;
    session.startWrite(values, false);
    EXPECT_EQ(run(), Outcome::WriteDone);
    EXPECT_EQ(follows, 0);

    modem.tamper = [](const fakes::Bytes& request, fakes::Bytes answer) {
        return request[3] == radio::cmd::WriteChannel ? std::optional<fakes::Bytes>() : answer;
    };
    modem.line = port->settings;
    session.startWrite(values, true);
    EXPECT_EQ(run(), Outcome::StepFailed);
    EXPECT_EQ(radio::partialWriteText(session.state()).english,
        "\nThe radio took: air rate, ID. Not confirmed: channel. Not sent: serial mode.");
}

} // namespace
