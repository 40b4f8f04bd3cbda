// Two linked simulated stations fed with fuzzed writes, line settings and time steps. Every byte
// a program writes is accounted for in the station's log, every answer comes out whole, user
// data crosses the air in order, and the stations fall quiet once time runs on.
#include "FuzzCheck.h"
#include "RadioModel.h"
#include "Station.h"
#include "radio/CommandFrame.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

namespace {

using radiosim::Bytes;
using radiosim::SerialSettings;

struct LogEntry
{
    std::string kind;
    Bytes bytes;
};

LogEntry parseLogLine(const std::string& line)
{
    std::istringstream in(line);
    std::string station;
    std::string settings;
    LogEntry entry;
    in >> station >> settings >> entry.kind;
    std::string hex;
    while (in >> hex)
        entry.bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
    return entry;
}

SerialSettings settingsFrom(FuzzedDataProvider& input)
{
    static constexpr std::array<std::uint32_t, 6> bauds = {19200, 9600, 4800, 2400, 1200, 300};
    SerialSettings settings;
    settings.baud = bauds[input.ConsumeIntegralInRange<std::size_t>(0, bauds.size() - 1)];
    settings.parity = static_cast<platform::Parity>(input.ConsumeIntegralInRange(0, 2));
    return settings;
}

// A request the radio knows, or raw bytes.
Bytes writeFrom(FuzzedDataProvider& input)
{
    if (input.ConsumeBool()) {
        static constexpr std::array<std::uint8_t, 10> commands = {radio::cmd::QueryModelVersion,
            radio::cmd::QueryAirRate, radio::cmd::QueryChannel, radio::cmd::QueryId,
            radio::cmd::WriteSelector, radio::cmd::WriteSerialMode, radio::cmd::WriteId,
            radio::cmd::WriteChannel, radio::cmd::ReadRegister, radio::cmd::WriteRegister};
        const auto command = commands[input.ConsumeIntegralInRange<std::size_t>(0, 9)];
        return radio::makeFrame(command, input.ConsumeBytes<std::uint8_t>(4));
    }
    return input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(1, 40));
}

bool isSubsequence(const Bytes& part, const Bytes& whole)
{
    std::size_t at = 0;
    for (const std::uint8_t b : whole) {
        if (at < part.size() && part[at] == b)
            ++at;
    }
    return at == part.size();
}

struct Side
{
    radiosim::StationConfig config;
    std::vector<std::string> log;
    SerialSettings line;
    std::size_t written = 0;
    Bytes out;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    std::array<Side, 2> sides;
    for (std::size_t s = 0; s < 2; ++s) {
        radiosim::StationConfig& config = sides[s].config;
        config.number = static_cast<int>(s + 1);
        config.pace = input.ConsumeBool();
        config.seed = s + 7;
        config.radio.serial = settingsFrom(input);
        config.radio.model = input.ConsumeIntegral<std::uint8_t>();
        auto& mis = config.radio.misbehaviour;
        const auto flags = input.ConsumeIntegral<std::uint8_t>();
        mis.badChecksum = flags & 0x01;
        mis.refuseWrites = flags & 0x02;
        mis.noAnswer = (flags & 0x0C) == 0x0C;
        mis.floodBytes = (flags & 0x10) ? input.ConsumeIntegralInRange<std::size_t>(1, 120) : 0;
        mis.splitAnswerMs = (flags & 0x20) ? 30 : 0;
        if (flags & 0x40)
            mis.silentRegisters.insert(input.ConsumeIntegralInRange<std::uint8_t>(0, 0x20));
        sides[s].line = (flags & 0x80) ? settingsFrom(input) : config.radio.serial;
    }
    auto logTo
        = [](Side& side) { return [&side](const std::string& line) { side.log.push_back(line); }; };
    radiosim::Station one(sides[0].config, logTo(sides[0]));
    radiosim::Station two(sides[1].config, logTo(sides[1]));
    one.linkTo(two);
    two.linkTo(one);
    std::array<radiosim::Station*, 2> stations = {&one, &two};

    std::int64_t now = 0;
    auto advanceBoth = [&] {
        for (std::size_t s = 0; s < 2; ++s) {
            const Bytes out = stations[s]->advance(sides[s].line, now);
            sides[s].out.insert(sides[s].out.end(), out.begin(), out.end());
        }
    };
    while (input.remaining_bytes() > 0) {
        const std::size_t s = input.ConsumeIntegralInRange<std::size_t>(0, 1);
        switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: {
            const Bytes bytes = writeFrom(input);
            stations[s]->receive(bytes, sides[s].line, now);
            sides[s].written += bytes.size();
            break;
        }
        case 1:
            sides[s].line
                = input.ConsumeBool() ? stations[s]->radio().serial() : settingsFrom(input);
            break;
        case 2:
            now += input.ConsumeIntegralInRange<std::int64_t>(0, 100'000);
            advanceBoth();
            break;
        default:
            if (const auto next = stations[s]->nextEventUs())
                now = std::max(now, *next);
            advanceBoth();
            break;
        }
    }
    // Time runs on with nothing more written: both stations must fall quiet.
    int steps = 0;
    for (;;) {
        const auto a = one.nextEventUs();
        const auto b = two.nextEventUs();
        if (!a && !b)
            break;
        FUZZ_CHECK(++steps < 100'000);
        now = std::max(now, std::min(a.value_or(INT64_MAX), b.value_or(INT64_MAX)));
        advanceBoth();
    }
    FUZZ_CHECK(one.outputIdle() && two.outputIdle());

    std::array<Bytes, 2> dataSent; // user data each station put on the air
    std::array<Bytes, 2> answers; // what its radio answered, replayed on a radio of its own
    std::array<std::size_t, 2> logged {};
    for (std::size_t s = 0; s < 2; ++s) {
        radiosim::Radio replay(sides[s].config.radio, sides[s].config.seed);
        std::size_t frames = 0;
        for (const std::string& line : sides[s].log) {
            const LogEntry entry = parseLogLine(line);
            logged[s] += entry.bytes.size();
            if (entry.kind == "data")
                dataSent[s].insert(dataSent[s].end(), entry.bytes.begin(), entry.bytes.end());
            if (entry.kind == "answered") {
                const radiosim::Reply reply = replay.answer(entry.bytes);
                FUZZ_CHECK(reply.verdict == radiosim::Verdict::Answered);
                answers[s].insert(answers[s].end(), reply.bytes.begin(), reply.bytes.end());
            }
            if (entry.kind != "data" && entry.kind != "dropped") {
                ++frames;
                FUZZ_CHECK(entry.bytes.size() >= 7 && entry.bytes[0] == radio::kHeader1
                    && entry.bytes[1] == radio::kHeader2);
            }
        }
        FUZZ_CHECK(frames == stations[s]->framesReceived());
    }
    for (std::size_t s = 0; s < 2; ++s) {
        const std::size_t peer = 1 - s;
        // The log holds every byte written, plus the air bytes dropped at this side.
        FUZZ_CHECK(logged[s] >= sides[s].written);
        const std::size_t droppedHere = logged[s] - sides[s].written;
        FUZZ_CHECK(sides[s].out.size() + droppedHere == answers[s].size() + dataSent[peer].size());
        if (dataSent[peer].empty())
            FUZZ_CHECK(sides[s].out == answers[s]);
        if (answers[s].empty())
            FUZZ_CHECK(isSubsequence(sides[s].out, dataSent[peer]));
    }
    return 0;
}
