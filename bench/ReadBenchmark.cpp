// A full parameter read (probe and four steps) against radiomodem-sim at its wire pace, with the
// timers ticking at their real 10 ms, next to the time the same bytes need on the line; what
// verification adds to a write; and radiomodem-cli's read and apply --all next to the window's.
#include "CliRun.h"
#include "TempDir.h"
#include "exchange_rig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

constexpr std::chrono::milliseconds kTimerPeriod {10};

// Requests: the probe and four queries of 7 bytes; answers: 8 (probe), 8, 7, 7 and 9 bytes.
constexpr int kRequestBytes = 5 * 7;
constexpr int kAnswerBytes = 8 + 8 + 7 + 7 + 9;
// Start bit, 8 data bits and one stop bit; no parity.
constexpr int kBitsPerByte = 10;

// The port open at the radio's own settings, so the first probe finds it.
void openAtRadioSettings(e2e::ExchangeRig& rig, std::uint8_t speedIndex)
{
    rig.link.handle.assign(rig.ports.open("COM1").port);
    rig.link.settings.portNumber = 1;
    rig.link.settings.speedIndex = speedIndex;
    rig.link.settings.parityIndex = 0;
    rig.controller.applyPortSettings();
}

void fullRead(benchmark::State& state)
{
    const auto speedIndex = static_cast<std::uint8_t>(state.range(0));
    const std::string speed = serial::speedTextForIndex(speedIndex);
    e2e::ExchangeRig rig({"--speed", speed});
    openAtRadioSettings(rig, speedIndex);

    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        rig.exchange.startRead();
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

// A write of a new channel, read back or not (range 1): the difference is what verification
// costs.
void write(benchmark::State& state)
{
    const auto speedIndex = static_cast<std::uint8_t>(state.range(0));
    e2e::ExchangeRig rig({"--speed", serial::speedTextForIndex(speedIndex)});
    openAtRadioSettings(rig, speedIndex);
    rig.exchange.startRead();
    e2e::runAll({&rig}, kTimerPeriod);
    rig.view.verify = state.range(1) != 0;
    int channel = 0;
    for (auto _ : state) {
        rig.view.channel = channel++ % 32;
        rig.dialogs.shown.clear();
        rig.exchange.startWrite();
        e2e::runAll({&rig}, kTimerPeriod);
        if (rig.dialogs.shown.empty() || rig.dialogs.shown.back().text.rfind("参数设置成功", 0)) {
            state.SkipWithError("the write failed");
            break;
        }
    }
}

BENCHMARK(write)->Args({0, 0})->Args({0, 1})->Iterations(5)->UseRealTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(write)->Args({5, 0})->Args({5, 1})->Iterations(2)->UseRealTime()->Unit(
    benchmark::kMillisecond);

// The window's Read with no port open (a port search, then the probe from 9600 without parity)
// against a radio at 19200: range 1 runs radiomodem-cli read instead, process start included.
void searchAndRead(benchmark::State& state)
{
    e2e::ExchangeRig rig({"--speed", "19200"});
    const bool cli = state.range(0) != 0;
    for (auto _ : state) {
        if (cli) {
            const auto run = simtest::runCli(
                {"read", "--port", "COM1"}, {"RADIOMODEM_COM1=" + rig.sim.ptyPath(1)});
            if (run.status != 0) {
                state.SkipWithError(run.err.c_str());
                break;
            }
            continue;
        }
        rig.controller.closePort();
        rig.dialogs.shown.clear();
        rig.exchange.startRead();
        e2e::runAll({&rig}, kTimerPeriod);
        if (rig.dialogs.shown.empty() || rig.dialogs.shown.back().text != "参数读取成功") {
            state.SkipWithError("the read failed");
            break;
        }
    }
}

BENCHMARK(searchAndRead)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// radiomodem-cli apply --all on one radio, and on four at once (each at 9600 without parity).
void applyAll(benchmark::State& state)
{
    std::vector<std::unique_ptr<simtest::SimProcess>> radios;
    std::vector<std::string> devices;
    for (int n = 1; n <= state.range(0); ++n) {
        radios.push_back(std::make_unique<simtest::SimProcess>(std::vector<std::string> {}));
        devices.push_back(radios.back()->ptyPath(1));
    }
    const std::vector<std::string> pins = simtest::onlyPorts(devices);
    fakes::TempDir dir;
    std::ofstream(dir.path("site.conf")) << "format = 1\nchannel = 12\n";
    for (auto _ : state) {
        const auto run = simtest::runCli({"apply", dir.path("site.conf"), "--all"}, pins);
        if (run.status != 0) {
            state.SkipWithError(run.err.c_str());
            break;
        }
    }
}

BENCHMARK(applyAll)->Arg(1)->Arg(4)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

// radiomodem-cli read of a radio at 19200 bit/s on a device seen before (range 1: its mode is
// in the cache, so the probe starts there) or never seen (range 0: the search from 9600-N), with
// wire_ms, the time its bytes need on the line, for the ratio.
void readFromCachedMode(benchmark::State& state)
{
    const bool cached = state.range(0) != 0;
    fakes::TempDir dir;
    simtest::SimProcess sim({"--speed", "19200", "--symlink", dir.path("radio")});
    const std::vector<std::string> env = {"XDG_CACHE_HOME=" + dir.path("cache")};
    if (cached && simtest::runCli({"read", "--port", dir.path("radio")}, env).status != 0)
        state.SkipWithError("the first read failed");
    double seconds = 0;
    for (auto _ : state) {
        if (!cached)
            std::filesystem::remove_all(dir.path("cache"));
        const auto start = std::chrono::steady_clock::now();
        const auto run = simtest::runCli({"read", "--port", dir.path("radio")}, env);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (run.status != 0) {
            state.SkipWithError("the read failed");
            break;
        }
    }
    const double wireSeconds = (kRequestBytes + kAnswerBytes) * kBitsPerByte / 19200.0;
    state.counters["wire_ms"] = wireSeconds * 1000;
    if (state.iterations() > 0)
        state.counters["ratio"] = seconds / static_cast<double>(state.iterations()) / wireSeconds;
}

BENCHMARK(readFromCachedMode)->Arg(1)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(readFromCachedMode)->Arg(0)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
