#pragma once

#include "TextEncoding.h"

#include <string>

namespace terminal {

// What the sender takes from the send half of the main window and shows in it.
class SendView
{
public:
    virtual ~SendView() = default;

    // The send area, CR LF between its lines.
    virtual std::string sendText() const = 0;
    virtual void clearSendText() = 0;
    virtual bool hexSend() const = 0;
    virtual TextEncoding textEncoding() const = 0;
    // The auto-send box; a change runs Sender::toggleAutoSend, as a click does.
    virtual bool autoSend() const = 0;
    virtual void setAutoSend(bool on) = 0;
    virtual void setAutoSendEnabled(bool enabled) = 0;
    // The period as typed, in milliseconds.
    virtual std::string autoSendPeriod() const = 0;
    virtual void setAutoSendPeriod(const std::string& text) = 0;
};

} // namespace terminal
