#include "SessionLog.h"

#include "HexText.h"
#include "core/LocalTime.h"
#include "platform/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace terminal {

namespace {

// The text column: the bytes decoded, each byte that does not decode a dot, and every control
// character (C0, DEL, C1) a dot, so the line stays one line of plain text.
std::string textColumn(std::span<const std::uint8_t> bytes, TextEncoding encoding)
{
    std::string decoded;
    IconvConverter converter("UTF-8", iconvName(encoding));
    while (!bytes.empty()) {
        if (converter.convert(bytes, decoded) == IconvConverter::Stop::Done)
            break;
        decoded += '\x01'; // a control character: shown as a dot below
        bytes = bytes.subspan(1);
        converter.reset();
    }
    std::string text;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const auto c = static_cast<unsigned char>(decoded[i]);
        if (c < 0x20 || c == 0x7F) {
            text += '.';
        } else if (c == 0xC2 && i + 1 < decoded.size()
            && static_cast<unsigned char>(decoded[i + 1]) < 0xA0) {
            text += '.'; // U+0080 to U+009F
            ++i;
        } else {
            text += decoded[i];
        }
    }
    return text;
}

} // namespace

std::string localTimeText(std::int64_t wallMs)
{
    return core::localTime("%H:%M:%S", wallMs);
}

std::string sessionLogLine(
    std::int64_t wallMs, bool sent, std::span<const std::uint8_t> bytes, TextEncoding encoding)
{
    std::string line = core::localTime("%Y-%m-%d %H:%M:%S", wallMs);
    line += sent ? " TX " : " RX ";
    line += std::to_string(bytes.size());
    line += ' ';
    line += BytesToHexText(bytes);
    line += '|' + textColumn(bytes, encoding) + "|\n";
    return line;
}

SessionLog::~SessionLog()
{
    close();
}

std::optional<core::Bilingual> SessionLog::open(const std::string& path)
{
    close();
    const auto opened = platform::openRegularFile(path, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (const auto* reason = std::get_if<core::Bilingual>(&opened))
        return *reason;
    m_fd = std::get<int>(opened);
    m_path = path;
    return std::nullopt;
}

void SessionLog::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

std::optional<std::string> SessionLog::write(const std::string& line)
{
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(m_fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::strerror(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

} // namespace terminal
