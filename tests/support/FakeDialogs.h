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
    enum Kind { Message, Box, Error, SaveFile, OpenFile } kind;
    std::string text; // empty for a file dialog
    std::string caption; // empty for a simple message and an error report
    platform::MessageButtons buttons = platform::MessageButtons::Ok;
};

// Records every message and file dialog; answers message boxes from a script (OK, or Cancel for
// a box that has Cancel, when the script is empty) and file dialogs from another (cancelled when
// empty).
// onShow runs while the "modal" message is up.
class FakeDialogs final : public platform::Dialogs
{
public:
    void showMessage(const std::string& text) override;
    platform::MessageResult messageBox(const std::string& text, const std::string& caption,
        platform::MessageButtons buttons) override;
    void showError(const std::string& text) override;
    std::optional<std::string> saveFileName(
        const std::string& caption, const std::string& suggestedName = {}) override;
    std::optional<std::string> openFileName(const std::string& caption) override;
    std::optional<std::string> appendFileName(const std::string& caption) override;

    std::vector<ShownMessage> shown;
    std::deque<platform::MessageResult> answers;
    std::deque<std::string> fileNames;
    std::vector<std::string> suggestedNames; // what each save dialog proposed
    std::function<void(const ShownMessage&)> onShow;

private:
    std::optional<std::string> fileName(ShownMessage::Kind kind, const std::string& caption);
};

// A clock that moves only when a test moves it, and an exit that records its status. The wall
// clock runs with the steady one from wallStartMs.
class FakeSystem final : public platform::System
{
public:
    void exitProcess(int status) override { exitStatus = status; }
    std::int64_t steadyMs() const override { return nowMs; }
    std::int64_t wallMs() const override { return wallStartMs + steadyMs(); }

    std::int64_t nowMs = 0;
    std::int64_t wallStartMs = 1'700'000'000'000;
    std::optional<int> exitStatus;
};

} // namespace fakes
