// The command line's arguments: any argument vector parses, without a crash, into exactly one of
// a request, a text for stdout (--help, --version) or a usage error of one line of UTF-8. File
// and port names come through byte for byte, and printable() shows them as UTF-8 without
// control characters from which their bytes can be read back.
#include "FuzzCheck.h"
#include "cli/CommandLine.h"
#include "cli/Output.h"

#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// argv elements cannot hold a NUL.
std::string argument(FuzzedDataProvider& input, std::size_t maxLength)
{
    std::string text = input.ConsumeRandomLengthString(maxLength);
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

bool isUtf8(const std::string& text)
{
    return QString::fromUtf8(text).toUtf8().toStdString() == text;
}

bool hasControl(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (b < 0x20 || b == 0x7F || (b == 0xC2 && next >= 0x80 && next < 0xA0))
            return true;
    }
    return false;
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The bytes behind printable()'s text: \\ is a backslash, \xHH a byte.
std::string unescape(const std::string& shown)
{
    std::string bytes;
    for (std::size_t i = 0; i < shown.size();) {
        if (shown[i] != '\\') {
            bytes += shown[i++];
            continue;
        }
        FUZZ_CHECK(i + 1 < shown.size());
        if (shown[i + 1] == '\\') {
            bytes += '\\';
            i += 2;
            continue;
        }
        FUZZ_CHECK(i + 3 < shown.size() && shown[i + 1] == 'x' && isHex(shown[i + 2])
            && isHex(shown[i + 3]));
        bytes += static_cast<char>(std::stoi(shown.substr(i + 2, 2), nullptr, 16));
        i += 4;
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const core::Language language {static_cast<std::uint8_t>(input.ConsumeBool() ? 0 : 1)};
    const std::string file = argument(input, 64);
    const std::string port = argument(input, 64);
    // A command with these names, then either nothing or arbitrary arguments around it.
    std::vector<std::string> arguments {
        "radiomodem-cli", input.ConsumeBool() ? "save" : "apply", "--port", port, "--", file};
    const bool named = input.ConsumeBool();
    if (!named) {
        while (input.remaining_bytes() > 0) {
            const std::string extra = argument(input, 32);
            const auto at = input.ConsumeIntegralInRange<std::size_t>(1, arguments.size());
            arguments.insert(arguments.begin() + static_cast<std::ptrdiff_t>(at), extra);
        }
    }
    const cli::ParsedCommandLine parsed = cli::parseCommandLine(arguments, language);
    FUZZ_CHECK(parsed.request.has_value() + !parsed.output.empty() + !parsed.error.empty() == 1);
    if (!parsed.error.empty()) {
        FUZZ_CHECK(isUtf8(parsed.error));
        FUZZ_CHECK(!hasControl(parsed.error));
    }
    // A port name that is no port is refused.
    if (named)
        FUZZ_CHECK(parsed.request.has_value() == !cli::portNameError(port));
    if (named && parsed.request) {
        FUZZ_CHECK(parsed.request->file == file);
        FUZZ_CHECK(parsed.request->ports == std::vector<std::string> {port});
    }
    for (const std::string& name : {file, port}) {
        const std::string shown = cli::printable(name);
        FUZZ_CHECK(isUtf8(shown));
        FUZZ_CHECK(!hasControl(shown));
        FUZZ_CHECK(unescape(shown) == name);
    }
    return 0;
}
