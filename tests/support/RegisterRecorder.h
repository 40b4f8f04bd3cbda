#pragma once

#include "registers/RegisterView.h"

#include <string>

namespace fakes {

// The register window as the console sees it: its fields as typed (as the window opens, until a
// test types), and what it was last asked to show.
struct RegisterRecorder final : registers::RegisterView
{
    std::string readAt = "00";
    std::string writeAt = "00";
    std::string value = "00";
    std::string answer;
    registers::AnswerColor color = registers::AnswerColor::Normal;
    std::string dump = "Memo1";

    std::string readAddress() const override { return readAt; }
    std::string writeAddress() const override { return writeAt; }
    std::string writeValue() const override { return value; }
    void showAnswer(const std::string& text, registers::AnswerColor shownIn) override
    {
        answer = text;
        color = shownIn;
    }
    void showDump(const std::string& text) override { dump = text; }
};

} // namespace fakes
