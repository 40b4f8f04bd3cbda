#include "TextWrap.h"

#include <QList>
#include <QString>

#include <string_view>

namespace cli {

namespace {

std::size_t charWidth(char32_t c)
{
    return c >= 0x1100 && (c <= 0x115F || (c >= 0x2E80 && c <= 0xFFDC)) ? 2 : 1;
}

bool isClosing(char32_t c)
{
    return std::u32string_view(U",.;:!?)…、。,;:!?)》」』").find(c) != std::u32string_view::npos;
}

bool isOpening(char32_t c)
{
    return std::u32string_view(U"((《「『").find(c) != std::u32string_view::npos;
}

// A piece no line breaks within, and whether a space stood before it.
struct Piece
{
    std::u32string text;
    bool spaced = false;
    std::size_t width = 0;
};

std::vector<Piece> pieces(const std::u32string& text)
{
    std::vector<Piece> found;
    bool spaced = false;
    int brackets = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        brackets += c == U'[' ? 1 : c == U']' ? -1 : 0;
        if (c == U' ' && brackets == 0) {
            spaced = true;
            continue;
        }
        const char32_t before = i > 0 ? text[i - 1] : U' ';
        const bool breaks = spaced || found.empty()
            || (before != U' ' && (charWidth(before) == 2 || charWidth(c) == 2) && !isClosing(c)
                && !isOpening(before));
        if (breaks)
            found.push_back({{}, spaced, 0});
        found.back().text += c;
        found.back().width += charWidth(c);
        spaced = false;
    }
    return found;
}

std::string utf8(const std::u32string& text)
{
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

} // namespace

std::size_t displayWidth(const std::string& text)
{
    std::size_t width = 0;
    for (const char32_t c : QString::fromStdString(text).toUcs4())
        width += charWidth(c);
    return width;
}

std::vector<std::string> wrapText(
    const std::string& text, std::size_t start, std::size_t indent, std::size_t width)
{
    std::vector<std::string> lines;
    std::u32string line;
    std::size_t column = start;
    const std::vector<Piece> all = pieces(QString::fromStdString(text).toStdU32String());
    for (const Piece& piece : all) {
        const std::size_t space = piece.spaced ? 1 : 0;
        if (!line.empty() && column + space + piece.width > width) {
            lines.push_back(utf8(line));
            line.clear();
            column = indent;
        }
        if (!line.empty() && piece.spaced) {
            line += U' ';
            ++column;
        }
        line += piece.text;
        column += piece.width;
    }
    lines.push_back(utf8(line));
    return lines;
}

} // namespace cli
