#include "SoakRig.h"

#include "FakeDialogs.h"
#include "SimProcess.h"
#include "platform/PosixSerialPorts.h"
#include "platform/System.h"
#include "platform/UdevPortEnumerator.h"
#include "serial/SerialLink.h"
#include "shell/Program.h"
#include "terminal/Terminal.h"
#include "windows/LanguageWindow.h"
#include "windows/MainWindow.h"
#include "windows/PortDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace soak {

namespace {

// About 160 bytes of text every 30 ms or more each way (period 30 ms is a send every third
// 10 ms tick), more than 19200 bit/s carries, so the program's send waits for the line; in hex
// the block is 44 bytes. At the far end a 50 ms receive poll takes up to 1024 bytes.
const char* const kSendLine = "SOAK 0123456789 ABCDEF abcdef 数传\n";
const char* const kPeriodMs = "30";
// A period that starts no new block while the line drains at the end.
const char* const kNoMoreMs = "60000";

// One program with its windows, on the real serial layer.
struct Station
{
    Station(int comNumber, int speedIndex)
    {
        program.start();
        program.languageWindow->okButton->click();
        program.mainWindow->openPortButton->click();
        program.portDialog->portCombo->setCurrentIndex(comNumber - 1);
        program.portDialog->speedCombo->setCurrentIndex(speedIndex); // the radios' speed
        program.portDialog->okButton->click();
        program.mainWindow->sendText->setPlainText(QString(kSendLine).repeated(4));
        program.mainWindow->autoSendPeriodEdit->setText(kPeriodMs);
    }

    StationFigures figures() const
    {
        const MainWindow& f = *program.mainWindow;
        return {program.terminal->counts.sent, program.terminal->counts.received,
            f.statusPanels[4]->text().toStdString(), f.statusPanels[5]->text().toStdString()};
    }

    platform::UdevPortEnumerator devices;
    platform::PosixSerialPorts ports {devices};
    fakes::FakeDialogs dialogs;
    platform::RealSystem system;
    Program program {ports, dialogs, system};
};

// Runs the event loop, the programs' timers included, for the given time or until done()
// says so; done() is given the time passed.
void runFor(qint64 milliseconds, const std::function<bool(qint64)>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (done(clock.elapsed()))
            return;
    }
}

} // namespace

long residentKb()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

SoakFigures runSoak(int seconds, std::uint32_t baud)
{
    int speedIndex = 0;
    while (speedIndex + 1 < serial::kSpeedCount
        && serial::baudForSpeedIndex(static_cast<std::uint8_t>(speedIndex)) != baud)
        ++speedIndex;
    const std::string speed = std::to_string(baud);
    simtest::SimProcess sim({"--link", "--speed", speed, "--speed2", speed});
    ::setenv("RADIOMODEM_COM1", sim.ptyPath(1).c_str(), 1);
    ::setenv("RADIOMODEM_COM2", sim.ptyPath(2).c_str(), 1);
    SoakFigures figures;
    {
        Station a(1, speedIndex);
        Station b(2, speedIndex);
        Station* const stations[] = {&a, &b};
        for (Station* s : stations)
            s->program.mainWindow->autoSendCheck->setChecked(true);

        const qint64 total = seconds * 1000LL;
        const qint64 warmUp = std::min<qint64>(10'000, total / 6);
        qint64 nextSwitch = 5'000;
        qint64 nextSample = 0;
        bool warm = false;
        runFor(total, [&](qint64 now) {
            if (now >= nextSwitch) {
                // Each side switches both its send and its receive mode, out of step with the
                // other, so text and hex cross the air in all four pairings.
                Station* s = stations[figures.modeSwitches % 2];
                for (QCheckBox* box :
                    {s->program.mainWindow->hexSendCheck, s->program.mainWindow->hexDisplayCheck})
                    box->setChecked(!box->isChecked());
                ++figures.modeSwitches;
                nextSwitch += 2'500;
            }
            const StationFigures fa = a.figures();
            const StationFigures fb = b.figures();
            figures.maxAhead = std::max({figures.maxAhead, fa.tx - fb.rx, fb.tx - fa.rx});
            if (now >= nextSample) {
                const long rss = residentKb();
                figures.rssPeakKb = std::max(figures.rssPeakKb, rss);
                if (!warm && now >= warmUp) {
                    figures.rssWarmKb = rss;
                    warm = true;
                }
                nextSample += 1'000;
            }
            return false;
        });
        figures.seconds = seconds;
        figures.rssEndKb = residentKb();
        // A stop drops what the line has not carried, so the stations first start no new block
        // and let the line drain: what is still queued and on the air arrives within a second
        // or two; auto send stops once both counters have stood still for two seconds.
        for (Station* s : stations)
            s->program.mainWindow->autoSendPeriodEdit->setText(kNoMoreMs);
        StationFigures lastA;
        StationFigures lastB;
        qint64 still = 0;
        runFor(30'000, [&](qint64 now) {
            const StationFigures fa = a.figures();
            const StationFigures fb = b.figures();
            if (fa.tx != lastA.tx || fa.rx != lastA.rx || fb.tx != lastB.tx || fb.rx != lastB.rx)
                still = now;
            lastA = fa;
            lastB = fb;
            return now - still > 2'000;
        });
        for (Station* s : stations)
            s->program.mainWindow->autoSendCheck->setChecked(false);
        figures.a = a.figures();
        figures.b = b.figures();
    }
    for (const std::string& line : sim.logLines())
        figures.droppedLogLines += line.find(" dropped") != std::string::npos ? 1 : 0;
    ::unsetenv("RADIOMODEM_COM1");
    ::unsetenv("RADIOMODEM_COM2");
    return figures;
}

} // namespace soak
