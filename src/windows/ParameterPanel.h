#pragma once

#include "platform/QtTimer.h"
#include "radio/ParameterView.h"

class MainWindow;

// The radio parameter boxes of the main window, the Write command and the Verify item, as the
// Read and Write commands and the settings files see them; holds their two command timers.
class ParameterPanel final : public radio::ParameterView
{
public:
    explicit ParameterPanel(MainWindow& window);

    radio::EnteredValues enteredValues() const override;
    bool verifyAfterWrite() const override;
    void clearReadValues() override;
    void showModel(const std::string& modelVersion, bool airRateSettable) override;
    void showChannel(int channelIndex) override;
    void showAirRate(int airRateIndex) override;
    void showSerialMode(int speedIndex, int parityIndex) override;
    void showId(const std::string& digits) override;
    void enableWrite() override;

    platform::QtTimer sendTimer;
    platform::QtTimer receiveTimer;

private:
    MainWindow& m_window;
};
