#pragma once

#include "platform/Dialogs.h"
#include "platform/System.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fakes {

struct ShownMessage
{
    enum Kind { Message, Box, Error, SaveFile } kind;
    std::string text; // empty for a file dialog
    std::string caption; // empty for a simple message and an error report
    platform::MessageButtons buttons = platform::MessageButtons::Ok;
};

// Records every message and file dialog; answers message boxes from a script (OK, or Cancel for
// Retry/Cancel, when the script is empty) and file dialogs from another (cancelled when empty).
// onShow runs while the "modal" message is up.
class FakeDialogs final : public platform::Dialogs
{
public:
    void showMessage(const std::string& text) override;
    platform::MessageResult messageBox(const std::string& text, const std::string& caption,
        platform::MessageButtons buttons) override;
    void showError(const std::string& text) override;
    std::optional<std::string> saveFileName(const std::string& caption) override;
    std::optional<std::string> appendFileName(const std::string& caption) override;

    std::vector<ShownMessage> shown;
    std::deque<platform::MessageResult> answers;
    std::deque<std::string> fileNames;
    std::function<void(const ShownMessage&)> onShow;
};

// A sleep that only advances a clock, and an exit that records its status. The wall clock runs
// with the steady one from wallStartMs.
class FakeSystem final : public platform::System
{
public:
    void sleepMs(unsigned milliseconds) override;
    void exitProcess(int status) override { exitStatus = status; }
    std::int64_t steadyMs() const override { return static_cast<std::int64_t>(nowMs); }
    std::int64_t wallMs() const override { return wallStartMs + steadyMs(); }

    unsigned long long nowMs = 0;
    std::int64_t wallStartMs = 1'700'000'000'000;
    std::vector<unsigned> sleeps;
    std::optional<int> exitStatus;
    std::function<void(unsigned)> onSleep; // e.g. a radio answering during the wait
};

} // namespace fakes
