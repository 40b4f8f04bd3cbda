#pragma once

#include <string>
#include <vector>

namespace core {

// The controls that the program's logic reads and writes, by their window names. Controls
// whose name recurs in several windows carry the window's name in front.
enum class Ctl {
    // main window: parameters
    ComboAirBaud,
    // main window: terminal
    Memo_Rec,
    Memo_Trtt,
    Check_RecHex,
    Check_AutoClr,
    Button1, // stop / continue display
    Check_TrttHex,
    Check_AutoTrtt,
    Edit_TrttPerio,
    TextGb18030, // context menu of both text areas: text in GB18030, else UTF-8
    LogToFile, // context menu of the receive area: a session log is running
    ShowTime, // context menu of the receive area: received text is stamped with the time
    // main window: hidden functions
    Test_M,
    Panel2,
    PanelTrttTest,
    CheckTrtt,
    Edit1,
    Edit2,
    Edit3,
    Edit4,
};

enum class TimerId { TrttData, RecData, Timer1 };

// Received text as one poll brought it; newLine: it starts a line of its own (a time stamp),
// after a line break when the area's last line holds text.
struct ReceivedText
{
    std::string text;
    bool newLine = false;
};

// What the logic needs of the windows. The real windows map each control to its widget; tests
// use a recording fake. Texts are UTF-8; a text area's text has CR LF between its lines.
class Ui
{
public:
    virtual ~Ui() = default;

    // Caption of a window, button or check box; text of an edit, text area or combo box.
    virtual std::string text(Ctl ctl) const = 0;
    virtual void setText(Ctl ctl, const std::string& text) = 0;

    // Selected entry of a combo box, -1 for none; an index outside the list selects none.
    virtual int currentIndex(Ctl ctl) const = 0;
    virtual void setCurrentIndex(Ctl ctl, int index) = 0;

    // Changing a check box runs its change handler, as a click would.
    virtual bool isChecked(Ctl ctl) const = 0;
    virtual void setChecked(Ctl ctl, bool checked) = 0;

    virtual bool isEnabled(Ctl ctl) const = 0;
    virtual void setEnabled(Ctl ctl, bool enabled) = 0;

    // Showing or hiding a control, a menu item or a window.
    virtual bool isVisible(Ctl ctl) const = 0;
    virtual void setVisible(Ctl ctl, bool visible) = 0;

    // The inner bevel of a panel used as a button: lowered or raised.
    virtual bool isLowered(Ctl ctl) const = 0;
    virtual void setLowered(Ctl ctl, bool lowered) = 0;

    virtual bool isTimerActive(TimerId timer) const = 0;
    virtual void setTimerActive(TimerId timer, bool active) = 0;

    // The receive area: the number of lines as shown (wrapped pieces count as lines of their
    // own, an empty last line does not count), appending without rewriting, and bringing the end
    // into view. Each poll's text is appended in turn as if shown on its own, and the area is
    // emptied whenever it then shows more than clearAbove lines (auto clear), so it ends with
    // what poll-by-poll display would show however many polls one refresh brings. With
    // keepOverEmpty, polls that would end with an emptied area change nothing (false): the
    // text shown stays until polls bring text to show.
    virtual int shownLineCount(Ctl ctl) const = 0;
    virtual bool appendReceived(
        Ctl ctl, const std::vector<ReceivedText>& polls, int clearAbove, bool keepOverEmpty)
        = 0;
    virtual void scrollToEnd(Ctl ctl) = 0;

    // The main window fits itself to its visible contents again.
    virtual void fitMainWindow() = 0;
};

} // namespace core
