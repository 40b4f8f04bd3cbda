#include "terminal/RevealGesture.h"
#include "FakeUi.h"

#include <gtest/gtest.h>

#include <functional>

using core::Ctl;

namespace {

// A freshly started main window with Timer1 running.
struct Window
{
    Window() { ui.setTimerActive(core::TimerId::Timer1, true); }

    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            gesture.gestureTick();
    }
    void arm() { gesture.armGesture(); }
    void complete() { gesture.completeGesture(); }
    bool revealed() const { return ui.isVisible(Ctl::Panel2); }

    fakes::FakeUi ui;
    terminal::TerminalState state;
    terminal::RevealGesture gesture {ui, state};
};

} // namespace

TEST(RevealGesture, armingThenCompletingInsideBothWindowsReveals)
{
    Window w;
    w.ticks(150); // the language dialog has been answered meanwhile
    w.arm();
    w.ticks(4);
    w.complete();
    EXPECT_TRUE(w.revealed());
    EXPECT_TRUE(w.ui.isVisible(Ctl::Test_M));
    EXPECT_TRUE(w.ui.isEnabled(Ctl::ComboAirBaud));
    EXPECT_FALSE(w.ui.isVisible(Ctl::ComboAirBaud));
    EXPECT_EQ(1, w.ui.fits);
}

TEST(RevealGesture, gesturesThatDoNotReveal)
{
    const struct
    {
        const char* name;
        std::function<void(Window&)> clicks;
    } rows[] = {
        {"wrong order",
            [](Window& w) {
                w.complete();
                w.arm();
            }},
        {"double arming",
            [](Window& w) {
                w.arm();
                w.arm();
                w.complete();
            }},
        {"completing click turns the toggle off",
            [](Window& w) {
                w.complete();
                w.arm();
                w.complete();
            }},
        {"completing after the arming window",
            [](Window& w) {
                w.arm();
                w.ticks(5);
                w.complete();
            }},
        {"right order after the start window",
            [](Window& w) {
                w.ticks(200);
                w.arm();
                w.complete();
            }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Window w;
        row.clicks(w);
        EXPECT_FALSE(w.revealed());
        EXPECT_FALSE(w.ui.isVisible(Ctl::Test_M));
        EXPECT_FALSE(w.ui.isEnabled(Ctl::ComboAirBaud));
        EXPECT_EQ(0, w.ui.fits);
    }
}

TEST(RevealGesture, startWindowStopsTimer1ForGood)
{
    Window w;
    w.ticks(199);
    EXPECT_TRUE(w.state.RevealOpen);
    EXPECT_TRUE(w.ui.isTimerActive(core::TimerId::Timer1));
    w.arm();
    w.ticks(1);
    EXPECT_FALSE(w.state.RevealOpen);
    EXPECT_FALSE(w.ui.isTimerActive(core::TimerId::Timer1));
    w.complete();
    EXPECT_FALSE(w.revealed());
}

TEST(RevealGesture, hiddenButtonRevealsWithoutCondition)
{
    Window w;
    w.ticks(300);
    w.gesture.revealHidden();
    EXPECT_TRUE(w.revealed());
    EXPECT_TRUE(w.ui.isVisible(Ctl::Test_M));
    EXPECT_FALSE(w.ui.isEnabled(Ctl::ComboAirBaud));
}
