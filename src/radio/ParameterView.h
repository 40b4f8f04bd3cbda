#pragma once

#include <string>

namespace radio {

// The parameter boxes as the user left them: indexes into the channel, serial speed and parity
// lists, -1 for a box with nothing selected.
struct EnteredValues
{
    int channelIndex = -1;
    int speedIndex = -1;
    int parityIndex = -1;
};

// The radio's parameters in the main window, as the Read and Write commands and the settings
// files see them. Indexes are those of the window's lists; one outside its list (-1 among them)
// selects nothing.
class ParameterView
{
public:
    virtual ~ParameterView() = default;

    virtual EnteredValues enteredValues() const = 0;
    // A write reads the radio back and compares.
    virtual bool verifyAfterWrite() const = 0;

    // A read begins: the model/version, air rate, ID and serial boxes empty; the channel stays.
    virtual void clearReadValues() = 0;
    // The model/version text; the air rate box is enabled when the model has a settable one
    // (otherwise it keeps its state).
    virtual void showModel(const std::string& modelVersion, bool airRateSettable) = 0;
    virtual void showChannel(int channelIndex) = 0;
    virtual void showAirRate(int airRateIndex) = 0;
    virtual void showSerialMode(int speedIndex, int parityIndex) = 0;
    virtual void showId(const std::string& digits) = 0;
    // A read succeeded: Write can be chosen.
    virtual void enableWrite() = 0;
};

// The progress window of a connect, read or write.
class ProgressView
{
public:
    virtual ~ProgressView() = default;

    // Shows the window with its caption and label and an empty bar of the given maximum.
    virtual void showProgress(const std::string& caption, const std::string& label, int maximum)
        = 0;
    virtual void showLabel(const std::string& label) = 0;
    // A step below zero shows an empty bar.
    virtual void showStep(int step) = 0;
    virtual void hideProgress() = 0;
};

} // namespace radio
