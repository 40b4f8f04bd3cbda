#pragma once

#include "Dialogs.h"

namespace platform {

class QtDialogs final : public Dialogs
{
public:
    void showMessage(const std::string& text) override;
    MessageResult messageBox(
        const std::string& text, const std::string& caption, MessageButtons buttons) override;
    void showError(const std::string& text) override;
    std::optional<std::string> saveFileName(const std::string& caption) override;
};

} // namespace platform
