// The soak run by hand for ten minutes (or the seconds given as the first argument): two
// programs with their real windows auto-sending text and hex to each other through
// radiomodem-sim at 19200 bit/s (or the speed given as the second argument). Prints what each
// side sent and received, how far it ran ahead of the other's RX, and how resident memory went.
#include "FakeDialogs.h"
#include "SoakRig.h"
#include "shell/Application.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
    fakes::FakeDialogs dialogs;
    RadioModemApplication app(argc, argv, dialogs);
    const auto baud = static_cast<std::uint32_t>(argc > 2 ? std::atoi(argv[2]) : 19200);
    const soak::SoakFigures f = soak::runSoak(seconds, baud);
    std::printf("soak of %.0f s, %d text/hex switches\n", f.seconds, f.modeSwitches);
    std::printf("station A: TX %d, RX %d (%s, %s)\n", f.a.tx, f.a.rx, f.a.txPanel.c_str(),
        f.a.rxPanel.c_str());
    std::printf("station B: TX %d, RX %d (%s, %s)\n", f.b.tx, f.b.rx, f.b.txPanel.c_str(),
        f.b.rxPanel.c_str());
    std::printf("A->B %s, B->A %s, %.0f bytes/s each way on average; simulator drops: %zu\n",
        f.a.tx == f.b.rx ? "complete" : "MISMATCH", f.b.tx == f.a.rx ? "complete" : "MISMATCH",
        (f.a.tx + f.b.tx) / 2.0 / f.seconds, f.droppedLogLines);
    std::printf("TX at most %d bytes ahead of the far RX\n", f.maxAhead);
    std::printf("resident memory: %ld kB after warm-up, %ld kB at the end, %ld kB peak\n",
        f.rssWarmKb, f.rssEndKb, f.rssPeakKb);
    const bool whole = f.a.tx == f.b.rx && f.b.tx == f.a.rx && f.droppedLogLines == 0;
    return whole ? EXIT_SUCCESS : EXIT_FAILURE;
}
