#include "TerminalRecorders.h"

namespace fakes {

namespace {

// Cuts a UTF-8 line into pieces of at most columns characters.
void wrapInto(const std::string& line, std::size_t columns, std::vector<std::string>& out)
{
    if (columns == 0 || line.empty()) {
        out.push_back(line);
        return;
    }
    std::string piece;
    std::size_t chars = 0;
    for (const char byte : line) {
        const bool starts = (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
        if (starts && chars == columns) {
            out.push_back(piece);
            piece.clear();
            chars = 0;
        }
        if (starts)
            ++chars;
        piece += byte;
    }
    out.push_back(piece);
}

} // namespace

std::vector<std::string> ReceiveRecorder::shownLines() const
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find("\r\n", start);
        wrapInto(text.substr(start, end == std::string::npos ? std::string::npos : end - start),
            wrapColumns, lines);
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

bool ReceiveRecorder::appendReceived(
    const std::vector<terminal::ReceivedText>& polls, int clearAbove, bool keepOverEmpty)
{
    const std::string before = text;
    bool emptied = false;
    for (const terminal::ReceivedText& poll : polls) {
        if (poll.newLine && !text.empty() && !text.ends_with("\r\n"))
            text += "\r\n";
        text += poll.text;
        emptied = shownLineCount() > clearAbove;
        if (emptied)
            text.clear();
    }
    if (emptied && keepOverEmpty) {
        text = before;
        return false;
    }
    return true;
}

} // namespace fakes
