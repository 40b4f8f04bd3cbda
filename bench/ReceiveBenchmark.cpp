// One receive poll of the real main window: a chunk waiting on the port is read, appended to the
// receive area as text or hex, counted, scrolled into view and checked for auto clear. Painting
// is not measured: the offscreen window is not repainted between polls.
#include "FakeDialogs.h"
#include "FakeSerialPort.h"
#include "serial/PortController.h"
#include "shell/Program.h"
#include "terminal/Terminal.h"
#include "windows/Controls.h"
#include "windows/MainWindow.h"
#include "windows/TerminalPanels.h"

#include <QApplication>
#include <QCheckBox>

#include <benchmark/benchmark.h>

#include <climits>

namespace {

struct Station
{
    Station()
    {
        port = ports.add("COM1");
        program.start();
        program.languageOk();
        program.portController->openFromDialog();
        program.mainWindow->autoClearCheck->setChecked(false); // clear only above 1000 lines
    }

    fakes::FakeSerialPorts ports;
    fakes::FakeDialogs dialogs;
    fakes::FakeSystem system;
    std::shared_ptr<fakes::PortState> port;
    Program program {ports, dialogs, system};
};

// A radio chunk: printable text with a line break every 62 characters.
fakes::Bytes chunkOf(std::size_t size)
{
    fakes::Bytes bytes;
    for (std::size_t i = 0; bytes.size() < size; ++i) {
        if (i % 64 == 62)
            bytes.insert(bytes.end(), {'\r', '\n'});
        else
            bytes.push_back(static_cast<std::uint8_t>('A' + i % 26));
    }
    bytes.resize(size);
    return bytes;
}

// Fills the area as earlier polls would have: lines of text, or for hex display one run of hex
// groups (hex text has no line breaks; it wraps at 23 groups a line in this area).
void showLines(Program& program, int lines, bool hex)
{
    program.receivePanel->clearReceived();
    for (int i = 0; i < lines; ++i)
        program.receivePanel->appendReceived(
            {{hex ? "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 54 55 56 57 "
                  : std::to_string(i) + " previous line of received text\r\n"}},
            INT_MAX, false);
    program.mainWindow->receiveText->shownLineCount();
}

void receivePoll(benchmark::State& state)
{
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const bool hex = state.range(1) != 0;
    const int startLines = static_cast<int>(state.range(2));
    Station station;
    station.program.mainWindow->hexDisplayCheck->setChecked(hex);
    const fakes::Bytes chunk = chunkOf(size);
    showLines(station.program, startLines, hex);
    for (auto _ : state) {
        // Keep the area near its starting size: refill it before auto clear would empty it.
        if (station.program.mainWindow->receiveText->shownLineCount() > startLines + 40) {
            state.PauseTiming();
            showLines(station.program, startLines, hex);
            state.ResumeTiming();
        }
        station.port->feed(chunk);
        // After a quiet poll the chunk is shown at once: every poll measured shows its chunk.
        station.program.terminal->receiver.markLineQuiet();
        station.program.terminal->receivePoll();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The receive bound as a user sees it: 1024 bytes every 50 ms, the receive poll every 50 ms,
// the area looked at every 20 ms. Reports the CPU time of a simulated second and the share of
// looks that found text in the area.
void receiveBound(benchmark::State& state)
{
    const bool hex = state.range(0) != 0;
    Station station;
    station.program.mainWindow->hexDisplayCheck->setChecked(hex);
    station.program.mainWindow->autoClearCheck->setChecked(state.range(1) != 0);
    const fakes::Bytes chunk = chunkOf(1024);
    const auto* area = station.program.mainWindow->receiveText;
    std::int64_t looks = 0;
    std::int64_t withText = 0;
    for (auto _ : state) {
        for (int ms = 0; ms < 1000; ms += 10) {
            station.system.nowMs += 10;
            if (ms % 50 == 20)
                station.port->feed(chunk);
            if (ms % 50 == 0)
                station.program.terminal->receivePoll();
            if (ms % 20 == 0) {
                ++looks;
                withText += area->document()->isEmpty() ? 0 : 1;
            }
        }
    }
    state.counters["shown_%"] = 100.0 * static_cast<double>(withText) / static_cast<double>(looks);
}

} // namespace

BENCHMARK(receiveBound)
    ->ArgNames({"hex", "autoclear"})
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

// Chunk size (96 bytes: 19200 bit/s for 50 ms; 1024: the most one poll takes), hex display,
// lines already shown.
BENCHMARK(receivePoll)
    ->ArgNames({"bytes", "hex", "lines"})
    ->ArgsProduct({{96, 1024}, {0, 1}, {0, 950}})
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
