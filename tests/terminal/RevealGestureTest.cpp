#include "terminal/RevealGesture.h"
#include "FakeTimer.h"
#include "TerminalRecorders.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A freshly started main window with the gesture's clock running.
struct Window
{
    Window() { clock.start(); }

    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            gesture.gestureTick();
    }
    void arm() { gesture.armGesture(); }
    void complete() { gesture.completeGesture(); }

    fakes::RevealRecorder view;
    fakes::FakeTimer clock;
    terminal::RevealGesture gesture {view, clock};
};

} // namespace

TEST(RevealGesture, armingThenCompletingInsideBothWindowsReveals)
{
    Window w;
    w.ticks(150); // the language dialog has been answered meanwhile
    w.arm();
    w.ticks(4);
    w.complete();
    EXPECT_EQ(1, w.view.hiddenShown);
    EXPECT_TRUE(w.view.airRateEnabled);
}

TEST(RevealGesture, gesturesThatDoNotReveal)
{
    const struct
    {
        const char* name;
        std::function<void(Window&)> clicks;
    } rows[] = {
        {"wrong order", [](Window& w) { w.complete(), w.arm(); }},
        {"double arming", [](Window& w) { w.arm(), w.arm(), w.complete(); }},
        {"completing click turns the toggle off",
            [](Window& w) { w.complete(), w.arm(), w.complete(); }},
        {"completing after the arming window",
            [](Window& w) { w.arm(), w.ticks(5), w.complete(); }},
        {"right order after the start window",
            [](Window& w) { w.ticks(200), w.arm(), w.complete(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Window w;
        row.clicks(w);
        EXPECT_EQ(0, w.view.hiddenShown);
        EXPECT_FALSE(w.view.airRateEnabled);
    }
}

TEST(RevealGesture, startWindowStopsTheClockForGood)
{
    Window w;
    w.ticks(199);
    EXPECT_TRUE(w.clock.isActive());
    w.arm();
    w.ticks(1);
    EXPECT_FALSE(w.clock.isActive());
    w.complete();
    EXPECT_EQ(0, w.view.hiddenShown);
}

TEST(RevealGesture, hiddenButtonRevealsWithoutCondition)
{
    Window w;
    w.ticks(300);
    w.gesture.revealHidden();
    EXPECT_EQ(1, w.view.hiddenShown);
    EXPECT_FALSE(w.view.airRateEnabled);
}
