// The link test window during a test at 20 packets a second against a far end that echoes each
// packet at once: one iteration is one second of the run (a tick every 5 ms, the event loop and
// painting every 50 ms), on the real program with the window shown offscreen.
#include "FakeDialogs.h"
#include "FakeSerialPort.h"
#include "linktest/LinkTestController.h"
#include "serial/PortController.h"
#include "shell/Program.h"
#include "windows/LinkTestWindow.h"

#include <QApplication>
#include <QSpinBox>

#include <benchmark/benchmark.h>

namespace {

void linkTestAt20PacketsASecond(benchmark::State& state)
{
    fakes::FakeSerialPorts ports;
    fakes::FakeDialogs dialogs;
    fakes::FakeSystem system;
    const auto port = ports.add("COM1");
    port->onWrite = [&port](const fakes::Bytes& bytes) { port->feed(bytes); };
    Program program {ports, dialogs, system};
    program.start();
    program.languageOk();
    program.portController->openFromDialog();
    program.openLinkTest();
    program.linkTestWindow->intervalBox->setValue(50);
    program.linkTestWindow->durationBox->setValue(0);
    program.linkTest->toggleRun();
    for (auto _ : state) {
        for (int tick = 1; tick <= 200; ++tick) {
            system.nowMs += 5;
            program.linkTest->tick();
            if (tick % 10 == 0)
                QApplication::processEvents();
        }
    }
    state.counters["packets"] = benchmark::Counter(
        static_cast<double>(port->writes.size()), benchmark::Counter::kDefaults);
}
BENCHMARK(linkTestAt20PacketsASecond)->Unit(benchmark::kMillisecond)->Iterations(60);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
