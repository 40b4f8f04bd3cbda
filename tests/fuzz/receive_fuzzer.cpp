// The receive poll with fuzzed chunks, the text encoding (UTF-8 or GB18030) and display modes
// switched between them, stops, clears and counter resets. One terminal takes everything, oversized
// and zero bytes included, and must count and bound it; two more take the same zero-free stream,
// one in whole chunks and one cut into pieces, and must show the same.
#include "FakeDialogs.h"
#include "FakeEventLoop.h"
#include "FakeSerialPort.h"
#include "FakeTimer.h"
#include "FakeUi.h"
#include "FuzzCheck.h"
#include "PortRecorder.h"
#include "StatusRecorder.h"
#include "serial/PortController.h"
#include "terminal/HexText.h"
#include "terminal/Terminal.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

using core::Ctl;
using fakes::Bytes;

struct Station
{
    Station()
    {
        link.handle.assign(std::make_unique<fakes::FakeSerialPort>(port));
        ui.setTimerActive(core::TimerId::RecData, true);
    }

    // Feeds the bytes and runs one poll.
    void poll(const Bytes& bytes)
    {
        port->feed(bytes);
        system.nowMs += terminal::Terminal::kRefreshMs;
        terminal.receivePoll();
        FUZZ_CHECK(port->rx.empty()); // every poll takes or drops all that waits
    }
    std::string shown() const { return ui.text(Ctl::Memo_Rec); }

    fakes::FakeUi ui;

    fakes::StatusRecorder status;
    fakes::FakeDialogs dialogs;
    fakes::FakeSystem system;
    core::Language language;
    serial::SerialLink link;
    fakes::FakeSerialPorts ports;
    fakes::PortRecorder portView;
    fakes::FakeTimer reopenTimer;
    fakes::FakeEventLoop eventLoop;
    serial::PortController controller {
        link, ports, portView, reopenTimer, eventLoop, ui, status, dialogs, language};
    std::shared_ptr<fakes::PortState> port = std::make_shared<fakes::PortState>();
    terminal::TerminalState state;
    terminal::Terminal terminal {link, controller, ui, status, dialogs, system, language, state};
};

// Line breaks in the area are always CR LF, and its text is whole UTF-8 characters.
bool wellFormed(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Station all;
    all.ui.wrapColumns = input.ConsumeIntegralInRange<std::size_t>(0, 120);
    Station whole;
    Station pieces;
    for (Station* s : {&whole, &pieces})
        s->ui.setChecked(Ctl::Check_AutoClr, false);
    const bool gb18030 = input.ConsumeBool();
    for (Station* s : {&all, &whole, &pieces})
        s->ui.setChecked(Ctl::TextGb18030, gb18030);
    std::size_t pairLineBreaks = 0;
    bool pairInStep = true;

    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 8)) {
        case 0: {
            const Bytes chunk = input.ConsumeBytes<std::uint8_t>(
                input.ConsumeIntegralInRange<std::size_t>(1, 1100));
            if (chunk.empty())
                break; // the input ran out
            const std::int32_t before = all.state.RxCount;
            const bool hex = all.ui.isChecked(Ctl::Check_RecHex);
            const std::string shownBefore = all.shown();
            all.poll(chunk);
            if (chunk.size() > terminal::Terminal::kMaxChunk || all.state.DisplayStopped) {
                FUZZ_CHECK(all.state.RxCount == before); // dropped or not shown: not counted
            } else {
                FUZZ_CHECK(all.state.RxCount == before + static_cast<std::int32_t>(chunk.size()));
                FUZZ_CHECK(all.status.text(core::StatusPanel::Received)
                    == "RX : " + std::to_string(all.state.RxCount));
                const std::string text = all.shown();
                const std::string piece = terminal::BytesToHexText(chunk);
                // Shown at the end; or emptied by auto clear; or, while a refresh would show the
                // area just emptied, held as it was until the next poll.
                if (hex)
                    FUZZ_CHECK(text.empty() || text.ends_with(piece) || text == shownBefore);
            }
            const int limit = all.ui.isChecked(Ctl::Check_AutoClr) ? 100 : 1000;
            FUZZ_CHECK(all.ui.shownLineCount(Ctl::Memo_Rec) <= limit);
            FUZZ_CHECK(wellFormed(all.shown()));
            FUZZ_CHECK(all.state.TestRxText.find('\0') == std::string::npos);

            // The same bytes without zeros (which end what a chunk shows) to the pair, whole
            // and in pieces, while neither area can have reached its clearing limit.
            Bytes stream;
            std::copy_if(chunk.begin(), chunk.end(), std::back_inserter(stream),
                [](std::uint8_t b) { return b != 0; });
            stream.resize(std::min<std::size_t>(stream.size(), terminal::Terminal::kMaxChunk));
            pairLineBreaks += static_cast<std::size_t>(std::count_if(stream.begin(), stream.end(),
                [](std::uint8_t b) { return b == '\r' || b == '\n'; }));
            pairInStep = pairInStep && pairLineBreaks < 900;
            if (!pairInStep || stream.empty())
                break;
            whole.poll(stream);
            std::size_t at = 0;
            while (at < stream.size()) {
                const std::size_t piece = std::min(
                    stream.size() - at, input.ConsumeIntegralInRange<std::size_t>(1, 64));
                pieces.poll(Bytes(stream.begin() + static_cast<long>(at),
                    stream.begin() + static_cast<long>(at + piece)));
                at += piece;
            }
            FUZZ_CHECK(whole.shown() == pieces.shown());
            FUZZ_CHECK(whole.state.RxCount == pieces.state.RxCount);
            break;
        }
        case 1:
            for (Station* s : {&all, &whole, &pieces})
                s->ui.setChecked(Ctl::Check_RecHex, !s->ui.isChecked(Ctl::Check_RecHex));
            break;
        case 2:
            for (Station* s : {&all, &whole, &pieces})
                s->terminal.toggleDisplayStop();
            break;
        case 3:
            for (Station* s : {&all, &whole, &pieces}) {
                s->terminal.resetCounters();
                FUZZ_CHECK(s->state.RxCount == 0
                    && s->status.text(core::StatusPanel::Received) == "RX : 0");
            }
            break;
        case 4:
            for (Station* s : {&all, &whole, &pieces})
                s->terminal.clearReceiveArea();
            break;
        case 5:
            all.ui.setChecked(Ctl::Check_AutoClr, !all.ui.isChecked(Ctl::Check_AutoClr));
            break;
        case 6: {
            // The seventh quiet poll in a row of an echo station sends back what it got.
            const std::int32_t idle = all.state.IdlePolls;
            const std::string received = all.state.TestRxText;
            const bool echo = all.state.TestMode && !received.empty()
                && idle >= terminal::Terminal::kQuietPolls;
            all.poll({});
            if (echo) {
                FUZZ_CHECK(all.state.IdlePolls == 0 && all.state.TestRxText.empty());
                FUZZ_CHECK(all.port->writes.back() == Bytes(received.begin(), received.end()));
            } else {
                FUZZ_CHECK(all.state.IdlePolls == idle + 1);
            }
            break;
        }
        case 7:
            for (Station* s : {&all, &whole, &pieces})
                s->ui.setChecked(Ctl::TextGb18030, !s->ui.isChecked(Ctl::TextGb18030));
            break;
        default:
            all.state.TestMode = !all.state.TestMode;
            break;
        }
    }
    return 0;
}
