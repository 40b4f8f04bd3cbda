// The receive poll with fuzzed chunks, the text encoding (UTF-8 or GB18030) and display modes
// switched between them, stops, clears and counter resets. One terminal takes everything, oversized
// and zero bytes included, and must count and bound it; two more take the same zero-free stream,
// one in whole chunks and one cut into pieces, and must show the same.
#include "FuzzCheck.h"
#include "TerminalRig.h"
#include "terminal/HexText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

using fakes::Bytes;

struct Station : fakes::TerminalRig<fakes::FakeSystem>
{
    Station()
    {
        link.handle.assign(std::make_unique<fakes::FakeSerialPort>(port));
        send.text = "echo station";
    }

    // Feeds the bytes and runs one poll; keeps what an echo station has to send back.
    void poll(const Bytes& bytes)
    {
        port->feed(bytes);
        system.nowMs += terminal::ReceiveDisplay::kRefreshMs;
        terminal.receivePoll();
        FUZZ_CHECK(port->rx.empty()); // every poll takes or drops all that waits
        idlePolls = bytes.empty() ? idlePolls + 1 : 0;
        if (terminal.errorRate.running() && bytes.size() <= terminal::ReceiveDisplay::kMaxChunk)
            echo.append(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
    }
    std::string shown() const { return receive.text; }

    std::shared_ptr<fakes::PortState> port = std::make_shared<fakes::PortState>();
    int idlePolls = 0; // empty polls in a row
    std::string echo; // received in test mode, not yet sent back
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
    all.receive.wrapColumns = input.ConsumeIntegralInRange<std::size_t>(0, 120);
    Station whole;
    Station pieces;
    for (Station* s : {&whole, &pieces})
        s->receive.autoClearOn = false;
    const bool gb18030 = input.ConsumeBool();
    for (Station* s : {&all, &whole, &pieces})
        s->setGb18030(gb18030);
    std::size_t pairLineBreaks = 0;
    bool pairInStep = true;

    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 8)) {
        case 0: {
            const Bytes chunk = input.ConsumeBytes<std::uint8_t>(
                input.ConsumeIntegralInRange<std::size_t>(1, 1100));
            if (chunk.empty())
                break; // the input ran out
            const std::int32_t before = all.counts.received;
            const bool hex = all.receive.hex;
            const std::string shownBefore = all.shown();
            all.poll(chunk);
            if (chunk.size() > terminal::ReceiveDisplay::kMaxChunk
                || all.receiver.displayStopped()) {
                FUZZ_CHECK(all.counts.received == before); // dropped or not shown: not counted
            } else {
                FUZZ_CHECK(all.counts.received == before + static_cast<std::int32_t>(chunk.size()));
                FUZZ_CHECK(all.status.text(core::StatusPanel::Received)
                    == "RX : " + std::to_string(all.counts.received));
                const std::string text = all.shown();
                const std::string piece = terminal::BytesToHexText(chunk);
                // Shown at the end; or emptied by auto clear; or, while a refresh would show the
                // area just emptied, held as it was until the next poll.
                if (hex)
                    FUZZ_CHECK(text.empty() || text.ends_with(piece) || text == shownBefore);
            }
            const int limit = all.receive.autoClearOn ? 100 : 1000;
            FUZZ_CHECK(all.receive.shownLineCount() <= limit);
            FUZZ_CHECK(wellFormed(all.shown()));

            // The same bytes without zeros (which end what a chunk shows) to the pair, whole
            // and in pieces, while neither area can have reached its clearing limit.
            Bytes stream;
            std::copy_if(chunk.begin(), chunk.end(), std::back_inserter(stream),
                [](std::uint8_t b) { return b != 0; });
            stream.resize(
                std::min<std::size_t>(stream.size(), terminal::ReceiveDisplay::kMaxChunk));
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
            FUZZ_CHECK(whole.counts.received == pieces.counts.received);
            break;
        }
        case 1:
            for (Station* s : {&all, &whole, &pieces})
                s->receive.hex = !s->receive.hex;
            break;
        case 2:
            for (Station* s : {&all, &whole, &pieces})
                s->receiver.toggleDisplayStop();
            break;
        case 3:
            for (Station* s : {&all, &whole, &pieces}) {
                s->receiver.resetCounters();
                FUZZ_CHECK(s->counts.received == 0
                    && s->status.text(core::StatusPanel::Received) == "RX : 0");
            }
            break;
        case 4:
            for (Station* s : {&all, &whole, &pieces})
                s->receiver.clearReceiveArea();
            break;
        case 5:
            all.receive.autoClearOn = !all.receive.autoClearOn;
            break;
        case 6: {
            // The seventh quiet poll in a row of an echo station sends back what it got, up to
            // the first zero byte of each chunk, and nothing else is sent.
            const bool echo = all.terminal.errorRate.running() && !all.echo.empty()
                && all.idlePolls >= terminal::ReceiveDisplay::kQuietPolls;
            const std::size_t writes = all.port->writes.size();
            all.poll({});
            FUZZ_CHECK(all.port->writes.size() == writes + (echo ? 1 : 0));
            if (echo) {
                FUZZ_CHECK(all.port->writes.back() == Bytes(all.echo.begin(), all.echo.end()));
                all.echo.clear();
                all.idlePolls = 0;
            }
            break;
        }
        case 7:
            for (Station* s : {&all, &whole, &pieces})
                s->setGb18030(s->receive.encoding == terminal::TextEncoding::Utf8);
            break;
        default:
            all.terminal.errorRate.toggle();
            all.echo.clear();
            break;
        }
    }
    return 0;
}
