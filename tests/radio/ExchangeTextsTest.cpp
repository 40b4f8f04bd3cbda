#include "radio/ExchangeTexts.h"

#include <gtest/gtest.h>

namespace radio {
namespace {

// Without root, a program of another user can hold the port unseen and take the radio's answers:
// the no-radio message then says so, names the device and how to see every holder.
TEST(ExchangeTexts, theNoRadioMessageNamesHiddenHoldersOnlyWhenThereMayBeSome)
{
    const core::Bilingual plain = connectErrorText("COM1");
    const core::Bilingual hidden = connectErrorText("COM1", "/dev/ttyUSB0");
    EXPECT_EQ(hidden.english.substr(0, plain.english.size()), plain.english);
    EXPECT_EQ(hidden.chinese.substr(0, plain.chinese.size()), plain.chinese);
    for (const std::string* text : {&plain.english, &plain.chinese})
        EXPECT_EQ(text->find("fuser"), std::string::npos) << *text;
    EXPECT_NE(hidden.english.find("another user"), std::string::npos);
    EXPECT_NE(hidden.chinese.find("其他用户"), std::string::npos);
    for (const std::string* text : {&hidden.english, &hidden.chinese})
        EXPECT_NE(text->find("sudo fuser -v /dev/ttyUSB0"), std::string::npos) << *text;
    EXPECT_NE(
        connectErrorText("COM1", "/dev/\x1b[2J").english.find("/dev/\\x1b[2J"), std::string::npos);
}

} // namespace
} // namespace radio
