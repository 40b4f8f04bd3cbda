// A full parameter read (probe and four steps) against radiomodem-sim at its wire pace, with the
// timers ticking at their real 10 ms, next to the time the same bytes need on the line.
#include "exchange_rig.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

constexpr std::chrono::milliseconds kTimerPeriod {10};

// Requests: the probe and four queries of 7 bytes; answers: 8 (probe), 8, 7, 7 and 9 bytes.
constexpr int kRequestBytes = 5 * 7;
constexpr int kAnswerBytes = 8 + 8 + 7 + 7 + 9;
// Start bit, 8 data bits and one stop bit; no parity.
constexpr int kBitsPerByte = 10;

void fullRead(benchmark::State& state)
{
    const auto speedIndex = static_cast<std::uint8_t>(state.range(0));
    const std::string speed = serial::speedTextForIndex(speedIndex);
    e2e::ExchangeRig rig({"--speed", speed});
    // The port is open at the radio's own settings, so the first probe finds it.
    rig.link.handle.assign(rig.ports.open("COM1").port);
    rig.link.settings.portNumber = 1;
    rig.link.settings.speedIndex = speedIndex;
    rig.link.settings.parityIndex = 0;
    rig.controller.applyPortSettings();

    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        rig.exchange.speedRClick();
        e2e::runAll({&rig}, kTimerPeriod);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (rig.dialogs.shown.empty() || rig.dialogs.shown.back().text != "参数读取成功") {
            state.SkipWithError("the read failed");
            break;
        }
    }
    const double byteSeconds
        = static_cast<double>(kBitsPerByte) / serial::baudForSpeedIndex(speedIndex);
    const double wireSeconds = (kRequestBytes + kAnswerBytes) * byteSeconds;
    state.counters["wire_ms"] = wireSeconds * 1000;
    // A pty carries the requests at once; only the simulator's answers keep the wire pace.
    state.counters["answer_wire_ms"] = kAnswerBytes * byteSeconds * 1000;
    if (state.iterations() > 0)
        state.counters["ratio"] = seconds / static_cast<double>(state.iterations()) / wireSeconds;
}

BENCHMARK(fullRead)->Arg(0)->Arg(1)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(fullRead)->Arg(5)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
