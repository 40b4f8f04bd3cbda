#pragma once

#include "platform/QtTimer.h"
#include "terminal/ErrorRateView.h"
#include "terminal/ReceiveView.h"
#include "terminal/RevealView.h"
#include "terminal/SendView.h"

class MainWindow;

// The data terminal's views on the main window's widgets.

class SendPanel final : public terminal::SendView
{
public:
    explicit SendPanel(MainWindow& window);

    std::string sendText() const override;
    void clearSendText() override;
    bool hexSend() const override;
    terminal::TextEncoding textEncoding() const override;
    bool autoSend() const override;
    void setAutoSend(bool on) override;
    void setAutoSendEnabled(bool enabled) override;
    std::string autoSendPeriod() const override;
    void setAutoSendPeriod(const std::string& text) override;

    platform::QtTimer autoSendTimer;

private:
    MainWindow& m_window;
};

class ReceivePanel final : public terminal::ReceiveView
{
public:
    explicit ReceivePanel(MainWindow& window) : m_window(window) { }

    bool hexDisplay() const override;
    bool autoClear() const override;
    bool showTime() const override;
    terminal::TextEncoding textEncoding() const override;
    bool appendReceived(const std::vector<terminal::ReceivedText>& polls, int clearAbove,
        bool keepOverEmpty) override;
    void scrollToEnd() override;
    void clearReceived() override;
    void showStopCaption(const std::string& caption) override;
    bool logTicked() const override;
    void showLog(bool ticked, const std::string& caption) override;

private:
    MainWindow& m_window;
};

class ErrorRatePanel final : public terminal::ErrorRateView
{
public:
    explicit ErrorRatePanel(MainWindow& window) : m_window(window) { }

    bool measuring() const override;
    void showRunning(bool running) override;
    void showCount(terminal::EchoCount count, const std::string& text) override;

private:
    MainWindow& m_window;
};

class RevealPanel final : public terminal::RevealView
{
public:
    explicit RevealPanel(MainWindow& window);

    void showHidden() override;
    void enableAirRate() override;

    platform::QtTimer clock;

private:
    MainWindow& m_window;
};
