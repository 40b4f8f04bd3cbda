#pragma once

#include <string>

namespace registers {

// The colours of the answer line: a new answer shows in the other of red and the link colour.
enum class AnswerColor { Normal, Red, Link };

// What the register console takes from its window and shows in it.
class RegisterView
{
public:
    virtual ~RegisterView() = default;

    // As typed, in hex: the register of a single read; the register and value of a single write.
    virtual std::string readAddress() const = 0;
    virtual std::string writeAddress() const = 0;
    virtual std::string writeValue() const = 0;
    virtual void showAnswer(const std::string& text, AnswerColor color) = 0;
    // The dump of all registers.
    virtual void showDump(const std::string& text) = 0;
};

} // namespace registers
