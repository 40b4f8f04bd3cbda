#pragma once

#include <string>

namespace core {

// The panels of the main window's status bar, left to right.
enum class StatusPanel { ModelVersion, Port, SerialMode, Connection, Sent, Received };

// The main window's status bar as the features see it: a text and a tooltip per panel.
class StatusBar
{
public:
    virtual ~StatusBar() = default;

    virtual std::string text(StatusPanel panel) const = 0;
    virtual void setText(StatusPanel panel, const std::string& text) = 0;
    virtual std::string tip(StatusPanel panel) const = 0;
    virtual void setTip(StatusPanel panel, const std::string& text) = 0;
};

} // namespace core
