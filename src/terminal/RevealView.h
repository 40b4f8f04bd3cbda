#pragma once

namespace terminal {

// What the reveal gesture changes in the main window.
class RevealView
{
public:
    virtual ~RevealView() = default;

    // Shows the Test menu and the echo test strip, and fits the window to them.
    virtual void showHidden() = 0;
    virtual void enableAirRate() = 0;
};

} // namespace terminal
