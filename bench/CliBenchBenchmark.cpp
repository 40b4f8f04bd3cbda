// radiomodem-cli bench serving one port, and four ports side by side: each port serves the same
// number of radios, swapped as on a real bench (a simulator started on the port's link, and
// stopped once its unit is recorded). Four ports should take little longer than one: the ports
// wait for their radios each on its own.
#include "CliRun.h"
#include "SimProcess.h"
#include "TempDir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr int kUnits = 5;
constexpr auto kUnitTimeout = std::chrono::seconds(30);

using Clock = std::chrono::steady_clock;

// The units in the CSV record on this port (its third field).
int unitsOn(const std::string& record, const std::string& port)
{
    std::ifstream file(record);
    int units = 0;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string field;
        for (int i = 0; i < 3; ++i)
            std::getline(fields, field, ',');
        units += field == port;
    }
    return units;
}

// One port's radios, one after another: each stays until its unit is recorded. False when a
// unit did not come.
bool swapRadios(const std::string& record, const std::string& port)
{
    for (int unit = 1; unit <= kUnits; ++unit) {
        // Factory settings but for the serial mode, so that every unit is a write.
        simtest::SimProcess radio({"--speed", "19200", "--symlink", port});
        const auto deadline = Clock::now() + kUnitTimeout;
        while (unitsOn(record, port) < unit) {
            if (Clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return true;
}

// Seconds until every port has served kUnits radios, from the start of the command.
double serve(int ports, std::string& failure)
{
    fakes::TempDir dir;
    std::ofstream(dir.path("site.conf")) << "format = 1\nchannel = 12\nserial = 19200-N\n";
    const std::string record = dir.path("record.csv");
    std::vector<std::string> args = {"bench", dir.path("site.conf"), "--record", record};
    std::vector<std::string> links;
    for (int n = 1; n <= ports; ++n) {
        links.push_back(dir.path("radio" + std::to_string(n)));
        args.insert(args.end(), {"--port", links.back()});
    }
    const auto start = Clock::now();
    simtest::CliProcess bench(args);
    std::vector<std::thread> swaps;
    std::vector<char> served(links.size(), 0);
    for (std::size_t i = 0; i < links.size(); ++i)
        swaps.emplace_back([&, i] { served[i] = swapRadios(record, links[i]); });
    for (auto& swap : swaps)
        swap.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ::kill(bench.pid(), SIGINT);
    const simtest::CliRun run = bench.wait();
    const std::string summary = "bench: " + std::to_string(ports * kUnits) + " units, "
        + std::to_string(ports * kUnits) + " done, 0 failed";
    if (std::find(served.begin(), served.end(), 0) != served.end()
        || run.out.find(summary) == std::string::npos)
        failure = "not every unit was served: " + run.out + run.err;
    return seconds;
}

void benchOneAndFourPorts(benchmark::State& state)
{
    double one = 0;
    double four = 0;
    for (auto _ : state) {
        std::string failure;
        one += serve(1, failure);
        four += serve(4, failure);
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            return;
        }
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["one_port_s"] = one / runs;
    state.counters["four_ports_s"] = four / runs;
    state.counters["ratio"] = four / one;
}

BENCHMARK(benchOneAndFourPorts)->Iterations(2)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
