#pragma once

#include "Dialogs.h"

#include <string>

namespace platform {

// The messages as Qt message boxes, each at least as wide as its caption.
class QtDialogs final : public Dialogs
{
public:
    // applicationTitle is the caption of the plain messages and of the error report.
    explicit QtDialogs(std::string applicationTitle);

    void showMessage(const std::string& text) override;
    MessageResult messageBox(
        const std::string& text, const std::string& caption, MessageButtons buttons) override;
    void showError(const std::string& text) override;
    std::optional<std::string> saveFileName(
        const std::string& caption, const std::string& suggestedName = {}) override;
    std::optional<std::string> openFileName(const std::string& caption) override;
    std::optional<std::string> appendFileName(const std::string& caption) override;

private:
    std::string m_applicationTitle;
};

} // namespace platform
