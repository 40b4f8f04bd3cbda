#pragma once

#include "radio/ParameterView.h"

#include <string>
#include <vector>

namespace fakes {

// The parameter boxes as the exchange and the settings files see them: what was last shown,
// which is also what a write takes, until a test enters other values. -1: nothing selected; as
// in the window, an index outside a box's list selects nothing. Verify after write starts
// unticked, so that a write reads back only where a test asks.
struct ParameterRecorder final : radio::ParameterView
{
    static constexpr int kChannels = 32;
    static constexpr int kAirRates = 5;
    static constexpr int kSpeeds = 6;
    static constexpr int kParities = 3;

    int channel = -1;
    int airRate = -1;
    int speed = -1;
    int parity = -1;
    std::string id;
    std::string model;
    bool airRateEnabled = false;
    bool writeEnabled = false;
    bool verify = false;

    radio::EnteredValues enteredValues() const override { return {channel, speed, parity}; }
    bool verifyAfterWrite() const override { return verify; }
    void clearReadValues() override
    {
        model.clear();
        id.clear();
        airRate = speed = parity = -1;
    }
    void showModel(const std::string& text, bool airRateSettable) override
    {
        model = text;
        airRateEnabled = airRateEnabled || airRateSettable;
    }
    void showChannel(int index) override { channel = inList(index, kChannels); }
    void showAirRate(int index) override { airRate = inList(index, kAirRates); }
    void showSerialMode(int speedIndex, int parityIndex) override
    {
        speed = inList(speedIndex, kSpeeds);
        parity = inList(parityIndex, kParities);
    }
    void showId(const std::string& digits) override { id = digits; }
    void enableWrite() override { writeEnabled = true; }
    void enter(int channelIndex, int speedIndex, int parityIndex)
    {
        channel = channelIndex;
        speed = speedIndex;
        parity = parityIndex;
    }
    static int inList(int index, int count) { return index >= 0 && index < count ? index : -1; }
};

// The progress window: what it shows, and every step it was given (0 each time it is shown).
struct ProgressRecorder final : radio::ProgressView
{
    bool visible = false;
    std::string caption;
    std::string label;
    int maximum = 100;
    std::vector<int> steps;

    int step() const { return steps.empty() ? 0 : steps.back(); }
    void showProgress(
        const std::string& shownCaption, const std::string& shownLabel, int shownMaximum) override
    {
        caption = shownCaption;
        label = shownLabel;
        maximum = shownMaximum;
        steps.push_back(0);
        visible = true;
    }
    void showLabel(const std::string& shownLabel) override { label = shownLabel; }
    void showStep(int shown) override { steps.push_back(shown); }
    void hideProgress() override { visible = false; }
};

} // namespace fakes
