#include "SimOptions.h"

#include "UsbAdapter.h"
#include "serial/SerialLink.h"

#include <charconv>
#include <functional>
#include <map>

namespace radiosim {

namespace {

// A decimal number, or a hex one with a 0x prefix; nothing else may follow.
std::optional<unsigned long> parseNumber(const std::string& text, unsigned long max)
{
    int base = 10;
    std::size_t skip = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        skip = 2;
    }
    unsigned long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data() + skip, end, value, base);
    if (ec != std::errc() || ptr != end || text.size() == skip || value > max)
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> parseSpeed(const std::string& text)
{
    const auto baud = parseNumber(text, UINT32_MAX);
    for (std::uint8_t index = 0; baud && index < serial::kSpeedCount; ++index) {
        if (serial::baudForSpeedIndex(index) == *baud)
            return static_cast<std::uint32_t>(*baud);
    }
    return std::nullopt;
}

std::optional<platform::Parity> parseParity(const std::string& text)
{
    static const std::map<std::string, platform::Parity> kNames = {
        {"none", platform::Parity::None},
        {"odd", platform::Parity::Odd},
        {"even", platform::Parity::Even},
    };
    const auto found = kNames.find(text);
    if (found == kNames.end())
        return std::nullopt;
    return found->second;
}

// Six decimal digits to three packed BCD bytes, first two digits first; or, after 0x, six hex
// digits giving the three bytes as they are (an erased radio reports FF FF FF).
std::optional<std::array<std::uint8_t, 3>> parseId(const std::string& text)
{
    const bool raw = text.size() == 8 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = raw ? text.substr(2) : text;
    const char* allowed = raw ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.size() != 6 || digits.find_first_not_of(allowed) != std::string::npos)
        return std::nullopt;
    std::array<std::uint8_t, 3> id {};
    for (std::size_t i = 0; i < id.size(); ++i) {
        unsigned value = 0;
        std::from_chars(digits.data() + 2 * i, digits.data() + 2 * i + 2, value, 16);
        id[i] = static_cast<std::uint8_t>(value);
    }
    return id;
}

std::optional<std::uint8_t> parseByte(const std::string& text)
{
    const auto value = parseNumber(text, 0xFF);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

std::optional<std::uint8_t> parseRegisterAddress(const std::string& text)
{
    const auto value = parseNumber(text, kRegisterCount - 1);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

// ADDR=VAL
bool parseRegister(const std::string& text, RadioConfig& radio)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        return false;
    const auto address = parseRegisterAddress(text.substr(0, equals));
    const auto value = parseByte(text.substr(equals + 1));
    if (!address || !value)
        return false;
    radio.registers[*address] = *value;
    return true;
}

std::optional<IgnoredWrite> parseIgnoredWrite(const std::string& text)
{
    static const std::map<std::string, IgnoredWrite> kNames = {
        {"channel", IgnoredWrite::Channel},
        {"air-rate", IgnoredWrite::AirRate},
        {"id", IgnoredWrite::Id},
        {"serial", IgnoredWrite::Serial},
    };
    const auto found = kNames.find(text);
    if (found == kNames.end())
        return std::nullopt;
    return found->second;
}

// A decimal number from 0 to max; nothing else may follow.
std::optional<double> parseDecimal(const std::string& text, double max)
{
    try {
        std::size_t used = 0;
        const double value = std::stod(text, &used);
        if (used == text.size() && value >= 0.0 && value <= max)
            return value;
    } catch (const std::exception&) { }
    return std::nullopt;
}

// A number of percent, 0 to 100, as a chance 0 to 1.
std::optional<double> parsePercent(const std::string& text)
{
    const auto percent = parseDecimal(text, 100.0);
    if (!percent)
        return std::nullopt;
    return *percent / 100;
}

// Assigns an option's parsed value, or reports that it did not parse.
template<typename T, typename Target>
bool assign(const std::optional<T>& value, Target& target)
{
    if (value)
        target = *value;
    return value.has_value();
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string>& args)
{
    SimOptions options;
    std::optional<std::uint32_t> speed2;
    std::optional<platform::Parity> parity2;
    std::optional<double> fadeDepth;
    RadioConfig& radio = options.radio;
    Misbehaviour& mis = radio.misbehaviour;
    const auto assignMs = [](const std::string& v, std::int64_t& targetUs) {
        const auto ms = parseNumber(v, 60'000);
        if (ms)
            targetUs = static_cast<std::int64_t>(*ms) * 1000;
        return ms.has_value();
    };

    using Flag = std::function<void()>;
    const std::map<std::string, Flag> flags = {
        {"--link", [&] { options.link = true; }},
        {"--echo2", [&] { options.echo2 = true; }},
        {"--no-pace", [&] { options.pace = false; }},
        {"--no-answer", [&] { mis.noAnswer = true; }},
        {"--bad-checksum", [&] { mis.badChecksum = true; }},
        {"--refuse-writes", [&] { mis.refuseWrites = true; }},
        {"--usb-adapter",
            [&] {
                if (!options.adapterLatencyUs)
                    options.adapterLatencyUs = kDefaultAdapterLatencyUs;
            }},
    };
    using Valued = std::function<bool(const std::string&)>;
    const auto text = [](std::string& target) -> Valued {
        return [&target](const std::string& v) {
            target = v;
            return !v.empty();
        };
    };
    const std::map<std::string, Valued> valued = {
        {"--speed", [&](const auto& v) { return assign(parseSpeed(v), radio.serial.baud); }},
        {"--parity", [&](const auto& v) { return assign(parseParity(v), radio.serial.parity); }},
        {"--speed2", [&](const auto& v) { return assign(parseSpeed(v), speed2); }},
        {"--parity2", [&](const auto& v) { return assign(parseParity(v), parity2); }},
        {"--model", [&](const auto& v) { return assign(parseByte(v), radio.model); }},
        {"--version", [&](const auto& v) { return assign(parseByte(v), radio.version); }},
        {"--air-rate", [&](const auto& v) { return assign(parseByte(v), radio.airRate); }},
        {"--channel",
            [&](const auto& v) {
                const auto channel = parseByte(v);
                return channel >= 1 && channel <= 32 && assign(channel, radio.channel);
            }},
        {"--id", [&](const auto& v) { return assign(parseId(v), radio.id); }},
        {"--register", [&](const auto& v) { return parseRegister(v, radio); }},
        {"--silent-register",
            [&](const auto& v) {
                const auto address = parseRegisterAddress(v);
                if (address)
                    mis.silentRegisters.insert(*address);
                return address.has_value();
            }},
        {"--ignore-write",
            [&](const auto& v) { return assign(parseIgnoredWrite(v), mis.ignoreWrite); }},
        {"--split-answer",
            [&](const auto& v) { return assign(parseNumber(v, 60'000), mis.splitAnswerMs); }},
        {"--flood",
            [&](const auto& v) {
                const auto bytes = parseNumber(v, 1'000'000);
                return bytes > 100u && assign(bytes, mis.floodBytes);
            }},
        {"--vanish-after",
            [&](const auto& v) {
                const auto frames = parseNumber(v, UINT32_MAX);
                return frames >= 1u && assign(frames, options.vanishAfter);
            }},
        {"--stall-after-bytes",
            [&](const auto& v) {
                return assign(parseNumber(v, UINT32_MAX), options.stallAfterBytes);
            }},
        {"--turnaround-ms", [&](const auto& v) { return assignMs(v, options.turnaroundUs); }},
        {"--adapter-latency-ms",
            [&](const auto& v) {
                // An FTDI chip's latency timer takes 1 to 255 ms.
                const auto ms = parseNumber(v, 255);
                if (ms >= 1u)
                    options.adapterLatencyUs = static_cast<std::int64_t>(*ms) * 1000;
                return ms >= 1u;
            }},
        {"--air-delay-us",
            [&](const auto& v) { return assign(parseNumber(v, 60'000'000), options.airDelayUs); }},
        {"--error-rate",
            [&](const auto& v) { return assign(parseDecimal(v, 1.0), options.errorRate); }},
        {"--loss", [&](const auto& v) { return assign(parsePercent(v), options.air.loss); }},
        {"--corrupt", [&](const auto& v) { return assign(parsePercent(v), options.air.corrupt); }},
        {"--latency-ms", [&](const auto& v) { return assignMs(v, options.air.latencyUs); }},
        {"--jitter-ms", [&](const auto& v) { return assignMs(v, options.air.jitterUs); }},
        {"--fade-period",
            [&](const auto& v) {
                const auto seconds = parseDecimal(v, 86'400.0);
                options.air.fadePeriodUs = static_cast<std::int64_t>(seconds.value_or(0) * 1e6);
                return options.air.fadePeriodUs > 0;
            }},
        {"--fade-depth", [&](const auto& v) { return assign(parsePercent(v), fadeDepth); }},
        {"--seed", [&](const auto& v) { return assign(parseNumber(v, UINT32_MAX), options.seed); }},
        {"--symlink", text(options.symlink1)},
        {"--symlink2", text(options.symlink2)},
        {"--log", text(options.logPath)},
    };

    ParsedOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            parsed.help = true;
            return parsed;
        }
        if (const auto flag = flags.find(name); flag != flags.end()) {
            flag->second();
            continue;
        }
        const auto option = valued.find(name);
        if (option == valued.end()) {
            parsed.error = "unknown option " + name;
            return parsed;
        }
        if (i + 1 == args.size()) {
            parsed.error = name + " needs a value";
            return parsed;
        }
        if (!option->second(args[++i])) {
            parsed.error = "bad value for " + name + ": " + args[i];
            return parsed;
        }
    }
    if (!options.link && (speed2 || parity2 || !options.symlink2.empty() || options.echo2)) {
        parsed.error = "--speed2, --parity2, --symlink2 and --echo2 need --link";
        return parsed;
    }
    if (!options.link && options.air.any()) {
        parsed.error = "--loss, --corrupt, --latency-ms, --jitter-ms and --fade-period need --link";
        return parsed;
    }
    if (fadeDepth && !options.air.fadePeriodUs) {
        parsed.error = "--fade-depth needs --fade-period";
        return parsed;
    }
    options.air.fadeDepth = fadeDepth.value_or(options.air.fadeDepth);
    options.serial2 = {speed2.value_or(radio.serial.baud), parity2.value_or(radio.serial.parity)};
    parsed.options = std::move(options);
    return parsed;
}

std::string usageText()
{
    return R"(Usage: radiomodem-sim [options]
Acts as a data-transmission radio modem on a pseudo-terminal. Prints "PTY1 <path>" (and
"PTY2 <path>" with --link), then "READY", and runs until SIGTERM or SIGINT.

The pty behaves like a serial line: a byte the program writes reaches the radio only after its
wire time at the program side's speed (10 bits a byte, 11 with parity), one after the other,
and the radio takes in no more than a UART's worth of bytes that have not crossed yet, so a
program writing faster than the line sees its writes back up. The radio answers a turnaround
after a request's last byte and sends every answer byte at its own speed.

Radio:
  --speed 19200|9600|4800|2400|1200|300   serial speed of the radio (default 9600)
  --parity none|odd|even                  serial parity of the radio (default none)
  --model N                               model code (default 1)
  --version V                             firmware version, e.g. 0x12 (default 0x12)
  --air-rate N                            air rate index (default 1)
  --channel N                             channel 1..32 (default 1)
  --id DDDDDD|0xHHHHHH                    six-digit ID (default 123456), or its three bytes
                                          in hex, BCD or not (0xFFFFFF: an erased radio)
  --register ADDR=VAL                     register contents, 0x00..0x20 (repeatable;
                                          default: each register holds ADDR ^ 0x5A)
Output:
  --symlink PATH                          symlink to the first pty (removed on exit)
  --log FILE                              append one line per received frame or data
  --turnaround-ms N                       time from a request's last byte to the answer
                                          (default 5; 0 allowed)
  --usb-adapter                           put a USB serial adapter between radio and program:
                                          the bytes the radio sends are held for its latency
                                          timer (16 ms) and passed on when it expires, counted
                                          from the first byte held, or as soon as 62 bytes
                                          wait, as FTDI chips do (a real chip's timer runs from
                                          its last transfer, so it holds a byte up to 16 ms;
                                          the simulator always takes the longest hold)
  --adapter-latency-ms N                  the adapter with a latency timer of N ms (1..255)
  --no-pace                               make both directions of the serial line instant:
                                          requests are heard as soon as they are read and
                                          answers go out at once (for fast unit-level runs)
Two stations:
  --link                                  a second radio on a second pty, linked over the air
  --speed2 S, --parity2 P                 serial settings of the second radio
  --symlink2 PATH                         symlink to the second pty
  --echo2                                 the second radio loops the air back: what it
                                          receives goes back over the air at once
  --air-delay-us N                        air time of each byte (default: its wire time)
  --error-rate P                          chance 0..1 that a byte has one bit flipped in the air
  --loss PERCENT                          chance that a packet is lost in the air
  --corrupt PERCENT                       chance that a packet arrives with one bit flipped
  --latency-ms MS                         time added to each packet's way through the air
  --jitter-ms MS                          plus a random 0..MS ms a packet, uniform; packets
                                          keep their order (one never overtakes the one
                                          before it)
  --fade-period S                         the loss rises from --loss to --fade-depth and falls
                                          back in every S seconds (a raised cosine)
  --fade-depth PERCENT                    the loss at the depth of a fade (default 100)
  A packet is the user data a radio gathers from its serial input until the input has been
  quiet for 3 byte times, or 128 bytes have come; with any of --loss to --fade-period, user
  data crosses the air in such packets, each lost, corrupted or delayed whole, in both
  directions.
  --seed S                                seed of the random choices
Misbehaviour:
  --no-answer                             never answer
  --bad-checksum                          answer with a wrong sum
  --split-answer MS                       write each answer in two pieces MS ms apart
  --flood N                               answer with N (> 100) bytes of garbage
  --refuse-writes                         leave parameter and register writes unanswered
  --ignore-write channel|air-rate|id|serial
                                          acknowledge writes of this value without applying
                                          them: the radio keeps its old value
  --silent-register ADDR                  leave reads of this register unanswered (repeatable)
  --vanish-after N                        after N received frames the device disappears
                                          (once the last answer has gone out)
  --stall-after-bytes N                   after taking N bytes from the program, take no more:
                                          its writes back up as on a stuck line
)";
}

} // namespace radiosim
