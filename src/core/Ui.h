#pragma once

#include <functional>
#include <string>
#include <vector>

namespace core {

// The controls that the program's logic reads and writes, by their window names. Controls
// whose name recurs in several windows carry the window's name in front.
enum class Ctl {
    // main window: parameters
    EditModelVer,
    EditID,
    ComboChnn,
    ComboAirBaud,
    ComboRadioSerBaud,
    ComboRadioParity,
    VerifyWrite, // menu item: a write reads the radio back and compares
    Speed_W,
    FileWrite,
    // port settings dialog
    Serial_Form,
    Comb_ComNo,
    Label_Device, // the device of the entry selected in Comb_ComNo
    ComboBaudRate,
    ComboParity,
    // progress dialog
    Form_Progress,
    Progress_Label1,
    ProgressBar1,
};

// Reopen: the one-second retry of a lost port whose device is back but does not open yet.
enum class TimerId { SdCmd, RecCmd, RecData, Reopen };

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
    // The tooltip of one entry of a combo box.
    virtual std::string itemToolTip(Ctl ctl, int index) const = 0;
    virtual void setItemToolTip(Ctl ctl, int index, const std::string& text) = 0;

    // Changing a check box runs its change handler, as a click would.
    virtual bool isChecked(Ctl ctl) const = 0;
    virtual void setChecked(Ctl ctl, bool checked) = 0;

    virtual bool isEnabled(Ctl ctl) const = 0;
    virtual void setEnabled(Ctl ctl, bool enabled) = 0;

    // Showing or hiding a control, a menu item or a window (Form_Progress).
    virtual bool isVisible(Ctl ctl) const = 0;
    virtual void setVisible(Ctl ctl, bool visible) = 0;

    // Progress bar; a value below zero shows an empty bar.
    virtual int progressValue(Ctl ctl) const = 0;
    virtual int progressMaximum(Ctl ctl) const = 0;
    virtual void setProgressMaximum(Ctl ctl, int maximum) = 0;
    virtual void setProgressValue(Ctl ctl, int value) = 0;

    virtual bool isTimerActive(TimerId timer) const = 0;
    virtual void setTimerActive(TimerId timer, bool active) = 0;

    // Runs a task from the event loop once the handler running now has returned.
    virtual void defer(std::function<void()> task) = 0;
};

} // namespace core
