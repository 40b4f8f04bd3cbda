#pragma once

#include "TextEncoding.h"

#include <string>
#include <vector>

namespace terminal {

// Received text as one poll brought it; newLine: it starts a line of its own (a time stamp),
// after a line break when the area's last line holds text.
struct ReceivedText
{
    std::string text;
    bool newLine = false;
};

// What the receive display takes from the receive half of the main window and shows in it.
class ReceiveView
{
public:
    virtual ~ReceiveView() = default;

    virtual bool hexDisplay() const = 0;
    virtual bool autoClear() const = 0;
    virtual bool showTime() const = 0;
    virtual TextEncoding textEncoding() const = 0;

    // Each poll's text is appended in turn as if shown on its own, and the area is emptied
    // whenever it then shows more than clearAbove lines (wrapped pieces count as lines of their
    // own), so it ends with what poll-by-poll display would show however many polls one refresh
    // brings. With keepOverEmpty, polls that would end with an emptied area change nothing
    // (false): the text shown stays until polls bring text to show.
    virtual bool appendReceived(
        const std::vector<ReceivedText>& polls, int clearAbove, bool keepOverEmpty)
        = 0;
    virtual void scrollToEnd() = 0;
    virtual void clearReceived() = 0;
    virtual void showStopCaption(const std::string& caption) = 0;
    // The session log's menu item: ticked or not, and its caption.
    virtual bool logTicked() const = 0;
    virtual void showLog(bool ticked, const std::string& caption) = 0;
};

} // namespace terminal
