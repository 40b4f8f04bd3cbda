#include "../radio/ScriptedRadio.h"
#include "ProgramFixture.h"
#include "radio/ParameterExchange.h"
#include "windows/AboutDialog.h"
#include "windows/PortDialog.h"
#include "windows/ProgressWindow.h"
#include "windows/RegisterWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

namespace {

// Every text that a label, button or check box of the windows shows, where it does not fit the
// widget: a label's text (wrapped where the label wraps) taller or wider than the label, a
// button's wider than the button. Elided labels show their text whole in a tooltip instead.
std::vector<std::string> cutTexts(const std::vector<QWidget*>& windows)
{
    std::vector<std::string> cut;
    // Names the widget, its text, and the room needed against the room there is.
    const auto check = [&cut](const QWidget* widget, const QString& text, QSize needed) {
        const QSize room = widget->contentsRect().size();
        if (!text.trimmed().isEmpty()
            && (needed.width() > room.width() || needed.height() > room.height() + 2)) {
            cut.push_back(QString("%1: %2 (%3x%4 in %5x%6)")
                              .arg(widget->objectName(), text)
                              .arg(needed.width())
                              .arg(needed.height())
                              .arg(room.width())
                              .arg(room.height())
                              .toStdString());
        }
    };
    for (QWidget* window : windows) {
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (qobject_cast<const windows::ElidedLabel*>(label) || label->isHidden())
                continue;
            const QRect room = label->contentsRect();
            const QRect needed = label->fontMetrics().boundingRect(room,
                Qt::TextShowMnemonic | (label->wordWrap() ? Qt::TextWordWrap : 0), label->text());
            check(label, label->text(), needed.size());
        }
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->isHidden())
                continue;
            // A check box needs its indicator beside the text, which its size hint holds; a
            // push button's hint adds a minimum width that its text does not need.
            const bool box = qobject_cast<const QCheckBox*>(button)
                || qobject_cast<const QRadioButton*>(button);
            const int iconWidth = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            const int needed = box
                ? button->sizeHint().width()
                : button->fontMetrics().horizontalAdvance(button->text()) + iconWidth + 6;
            check(button, button->text(), {needed, 0});
        }
    }
    return cut;
}

class TextFitTest : public ProgramTest, public testing::WithParamInterface<bool>
{
protected:
    std::vector<QWidget*> windows() const
    {
        return {program.mainWindow.get(), program.portDialog.get(), program.progressWindow.get(),
            program.aboutDialog.get(), program.registerWindow.get(), program.languageWindow.get()};
    }
    // The texts cut at any tick of the exchange the button starts.
    std::vector<std::string> cutWhileRunning(QAbstractButton* button)
    {
        std::vector<std::string> cut;
        button->click();
        MainWindow& f = *program.mainWindow;
        for (int ticks = 0; f.answerTimer->isActive() && ticks < 10000; ++ticks) {
            system.nowMs += 10;
            if (f.requestTimer->isActive())
                program.exchange->sendTick();
            modem.tick();
            program.exchange->receiveTick();
            if (ticks == 3)
                program.exchange->stopCommand(); // a write says it cannot be stopped
            for (auto& text : cutTexts(windows()))
                cut.push_back(std::move(text));
        }
        return cut;
    }

    radiotest::ScriptedRadio modem {com1};
};

// In both languages: the windows as built, and every progress and status text of a read and a
// write, are shown whole.
TEST_P(TextFitTest, everyTextOfTheWindowsFitsItsWidget)
{
    chooseLanguage(GetParam());
    for (QWidget* window : windows())
        window->ensurePolished();
    EXPECT_EQ(cutTexts(windows()), std::vector<std::string> {});
    EXPECT_EQ(cutWhileRunning(program.mainWindow->readButton), std::vector<std::string> {});
    EXPECT_EQ(cutWhileRunning(program.mainWindow->writeButton), std::vector<std::string> {});
}

INSTANTIATE_TEST_SUITE_P(Languages, TextFitTest, testing::Values(false, true),
    [](const auto& info) { return info.param ? "English" : "Chinese"; });

} // namespace
