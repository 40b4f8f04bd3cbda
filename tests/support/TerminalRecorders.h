#pragma once

#include "terminal/ErrorRateView.h"
#include "terminal/ReceiveView.h"
#include "terminal/RevealView.h"
#include "terminal/SendView.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fakes {

// The send half of the main window as the sender sees it: changing the auto-send box calls
// onAutoSendChanged, as the toolkit calls the box's change handler.
struct SendRecorder final : terminal::SendView
{
    std::string text;
    bool hex = false;
    terminal::TextEncoding encoding = terminal::TextEncoding::Utf8;
    bool autoOn = false;
    bool autoEnabled = true;
    std::string period = "1000";
    std::function<void()> onAutoSendChanged;

    std::string sendText() const override { return text; }
    void clearSendText() override { text.clear(); }
    bool hexSend() const override { return hex; }
    terminal::TextEncoding textEncoding() const override { return encoding; }
    bool autoSend() const override { return autoOn; }
    void setAutoSend(bool on) override
    {
        if (autoOn == on)
            return;
        autoOn = on;
        if (onAutoSendChanged)
            onAutoSendChanged();
    }
    void setAutoSendEnabled(bool enabled) override { autoEnabled = enabled; }
    std::string autoSendPeriod() const override { return period; }
    void setAutoSendPeriod(const std::string& typed) override { period = typed; }
};

// The receive half: the area's text (CR LF between lines) as poll-by-poll display leaves it,
// wrapped after wrapColumns characters (0: no wrapping) when its lines are counted.
struct ReceiveRecorder final : terminal::ReceiveView
{
    bool hex = false;
    bool autoClearOn = true;
    bool timeShown = false;
    terminal::TextEncoding encoding = terminal::TextEncoding::Utf8;
    std::string text;
    std::size_t wrapColumns = 0;
    int scrolls = 0;
    std::string stopCaption = "停止显示";
    bool logOn = false;
    std::string logCaption = "记录到文件...";

    bool hexDisplay() const override { return hex; }
    bool autoClear() const override { return autoClearOn; }
    bool showTime() const override { return timeShown; }
    terminal::TextEncoding textEncoding() const override { return encoding; }
    bool appendReceived(const std::vector<terminal::ReceivedText>& polls, int clearAbove,
        bool keepOverEmpty) override;
    void scrollToEnd() override { ++scrolls; }
    void clearReceived() override { text.clear(); }
    void showStopCaption(const std::string& caption) override { stopCaption = caption; }
    bool logTicked() const override { return logOn; }
    void showLog(bool ticked, const std::string& caption) override
    {
        logOn = ticked;
        logCaption = caption;
    }

    // The lines as shown: wrapped pieces count, an empty last line does not.
    std::vector<std::string> shownLines() const;
    int shownLineCount() const { return static_cast<int>(shownLines().size()); }
};

struct ErrorRateRecorder final : terminal::ErrorRateView
{
    bool measuringOn = false;
    bool runningShown = false;
    std::map<terminal::EchoCount, std::string> counts;

    bool measuring() const override { return measuringOn; }
    void showRunning(bool running) override { runningShown = running; }
    void showCount(terminal::EchoCount count, const std::string& shown) override
    {
        counts[count] = shown;
    }
};

struct RevealRecorder final : terminal::RevealView
{
    int hiddenShown = 0; // how often the hidden functions were shown (and the window fitted)
    bool airRateEnabled = false;

    void showHidden() override { ++hiddenShown; }
    void enableAirRate() override { airRateEnabled = true; }
};

} // namespace fakes
