#pragma once

#include <optional>
#include <string>

namespace platform {

enum class MessageButtons { Ok, RetryCancel, OkCancel };
enum class MessageResult { Ok, Retry, Cancel };

// The modal messages and dialogs of the program. Each keeps the message loop running while it
// waits.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // The plain message: the text, one OK button, the application's title as caption.
    virtual void showMessage(const std::string& text) = 0;
    // A message box with its own caption, no owner window and no icon.
    virtual MessageResult messageBox(
        const std::string& text, const std::string& caption, MessageButtons buttons)
        = 0;
    // The toolkit's standard report of an error that reached the event loop.
    virtual void showError(const std::string& text) = 0;
    // The toolkit's dialog for the name of a file to save to, proposing suggestedName in the
    // current folder when given; nothing when the user cancels.
    virtual std::optional<std::string> saveFileName(
        const std::string& caption, const std::string& suggestedName = {})
        = 0;
    // The toolkit's dialog for an existing file to open; nothing when the user cancels.
    virtual std::optional<std::string> openFileName(const std::string& caption) = 0;
    // The same dialog for a file that is added to: an existing file is no question.
    virtual std::optional<std::string> appendFileName(const std::string& caption) = 0;
};

} // namespace platform
