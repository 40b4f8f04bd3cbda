#include "TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <utility>

namespace terminal {

const char* iconvName(TextEncoding encoding)
{
    return encoding == TextEncoding::Gb18030 ? "GB18030" : "UTF-8";
}

IconvConverter::IconvConverter(const char* to, const char* from) : m_cd(::iconv_open(to, from))
{
    if (m_cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no conversion from ") + from + " to " + to);
}

IconvConverter::IconvConverter(IconvConverter&& other) noexcept
    : m_cd(std::exchange(other.m_cd, nullptr))
{ }

IconvConverter& IconvConverter::operator=(IconvConverter&& other) noexcept
{
    std::swap(m_cd, other.m_cd);
    return *this;
}

IconvConverter::~IconvConverter()
{
    if (m_cd)
        ::iconv_close(static_cast<iconv_t>(m_cd));
}

IconvConverter::Stop IconvConverter::convert(std::span<const std::uint8_t>& input, std::string& out)
{
    char buffer[4096];
    for (;;) {
        // iconv does not write through its input pointer.
        char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(input.data()));
        std::size_t inLeft = input.size();
        char* next = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t result = ::iconv(static_cast<iconv_t>(m_cd), &in, &inLeft, &next, &room);
        const int error = errno;
        out.append(buffer, next);
        input = input.last(inLeft);
        if (result != static_cast<std::size_t>(-1))
            return Stop::Done;
        if (error == E2BIG)
            continue;
        return error == EINVAL ? Stop::Incomplete : Stop::Invalid;
    }
}

void IconvConverter::reset()
{
    ::iconv(static_cast<iconv_t>(m_cd), nullptr, nullptr, nullptr, nullptr);
}

std::string encodeText(TextEncoding encoding, const std::string& utf8)
{
    if (encoding == TextEncoding::Utf8)
        return utf8;
    IconvConverter converter(iconvName(encoding), "UTF-8");
    std::string out;
    std::span<const std::uint8_t> input(
        reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size());
    while (converter.convert(input, out) != IconvConverter::Stop::Done) {
        // A byte that is no UTF-8, or a character cut off at the end.
        out += '?';
        input = input.subspan(1);
    }
    return out;
}

} // namespace terminal
