#include "FakeDialogs.h"

namespace fakes {

void FakeDialogs::showMessage(const std::string& text)
{
    shown.push_back({ShownMessage::Message, text, {}, platform::MessageButtons::Ok});
    if (onShow)
        onShow(shown.back());
}

platform::MessageResult FakeDialogs::messageBox(
    const std::string& text, const std::string& caption, platform::MessageButtons buttons)
{
    shown.push_back({ShownMessage::Box, text, caption, buttons});
    if (onShow)
        onShow(shown.back());
    if (!answers.empty()) {
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == platform::MessageButtons::Ok ? platform::MessageResult::Ok
                                                   : platform::MessageResult::Cancel;
}

void FakeDialogs::showError(const std::string& text)
{
    shown.push_back({ShownMessage::Error, text, {}, platform::MessageButtons::Ok});
    if (onShow)
        onShow(shown.back());
}

std::optional<std::string> FakeDialogs::saveFileName(
    const std::string& caption, const std::string& suggestedName)
{
    suggestedNames.push_back(suggestedName);
    return fileName(ShownMessage::SaveFile, caption);
}

std::optional<std::string> FakeDialogs::openFileName(const std::string& caption)
{
    return fileName(ShownMessage::OpenFile, caption);
}

std::optional<std::string> FakeDialogs::fileName(
    ShownMessage::Kind kind, const std::string& caption)
{
    shown.push_back({kind, {}, caption, platform::MessageButtons::Ok});
    if (onShow)
        onShow(shown.back());
    if (fileNames.empty())
        return std::nullopt;
    std::string name = fileNames.front();
    fileNames.pop_front();
    return name;
}

std::optional<std::string> FakeDialogs::appendFileName(const std::string& caption)
{
    return saveFileName(caption);
}

} // namespace fakes
