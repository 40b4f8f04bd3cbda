#include "linktest/LinkTestReport.h"

#include <gtest/gtest.h>

using linktest::Outcome;

TEST(PacketCodec, everySizeRoundTripsAndNoSingleFlippedBitPassesAsIntact)
{
    for (const int size : {8, 9, 64, 240}) {
        for (const std::uint32_t sequence : {0u, 31u, 32767u, 32768u, 100000u}) {
            const std::string packet = linktest::encodePacket(sequence, size);
            ASSERT_EQ(packet.size(), static_cast<std::size_t>(size));
            EXPECT_EQ(packet.find('~', 1), std::string::npos);
            const auto echoes = linktest::EchoParser(size).feed(packet);
            ASSERT_EQ(echoes.size(), 1u);
            EXPECT_TRUE(echoes[0].intact);
            EXPECT_EQ(echoes[0].sequence, sequence & linktest::kSequenceMask);
            for (std::size_t at = 0; at < packet.size(); ++at) {
                for (int bit = 0; bit < 8; ++bit) {
                    std::string hit = packet;
                    hit[at] = static_cast<char>(hit[at] ^ (1 << bit));
                    for (const auto& echo : linktest::EchoParser(size).feed(hit))
                        EXPECT_FALSE(echo.intact) << size << " " << at << " " << bit;
                }
            }
        }
    }
}

TEST(EchoParser, findsPacketsAcrossChunksAfterNoiseAndCutsShortOnes)
{
    const std::string a = linktest::encodePacket(1, 16), b = linktest::encodePacket(2, 16);
    const std::string stream = "noise" + a.substr(0, 9) + b + a;
    linktest::EchoParser parser(16);
    std::vector<linktest::Echo> echoes;
    for (std::size_t at = 0; at < stream.size(); at += 5)
        for (const auto& echo : parser.feed(std::string_view(stream).substr(at, 5)))
            echoes.push_back(echo);
    ASSERT_EQ(echoes.size(), 3u);
    EXPECT_FALSE(echoes[0].intact);
    EXPECT_EQ(echoes[0].sequence, 1u);
    EXPECT_TRUE(echoes[1].intact && echoes[2].intact);
    EXPECT_EQ(echoes[1].sequence, 2u);
}

TEST(LinkTestRun, judgesLostLateRepeatedAndDamagedRepliesAndCountsByInterval)
{
    linktest::LinkTestRun run(12, 500);
    std::vector<std::string> sent;
    for (int i = 0; i < 6; ++i)
        sent.push_back(run.send(i * 100));
    std::string damaged = sent[2];
    damaged[5] ^= 1;
    run.received(sent[0], 150); // good, 150 ms
    run.received(damaged + sent[3].substr(0, 7), 320); // #1 never comes; #2 damaged
    run.received(sent[3].substr(7) + sent[3], 340); // good, then a duplicate
    run.received(sent[4].substr(0, 6) + sent[5], 560); // #4 cut short, then #5
    run.advance(700);
    run.received(sent[1], 800); // after its time-out: late
    run.received(damaged, 900); // #2 is judged and nothing waits: a stray
    std::vector<Outcome> outcomes;
    for (const auto& p : run.packets())
        outcomes.push_back(p.outcome);
    EXPECT_EQ(outcomes,
        (std::vector {Outcome::Good, Outcome::Late, Outcome::Corrupted, Outcome::Good,
            Outcome::Corrupted, Outcome::Good}));
    const auto totals = run.totals();
    EXPECT_EQ(totals.duplicates, 1);
    EXPECT_EQ(totals.strays, 1);
    ASSERT_TRUE(totals.roundTrip);
    EXPECT_EQ(totals.roundTrip->minMs, 40);
    EXPECT_EQ(totals.roundTrip->medianMs, 60);
    EXPECT_EQ(totals.roundTrip->maxMs, 150);
    EXPECT_DOUBLE_EQ(totals.errorPercent(), 2 * 100.0 / 6);
    const auto intervals = run.intervals(250);
    ASSERT_EQ(intervals.size(), 3u);
    EXPECT_EQ(intervals[0].totals.sent, 3);
    EXPECT_EQ(intervals[1].totals.corrupted, 1);
    EXPECT_EQ(intervals[2].startMs, 500);
}

TEST(LinkTestRun, aReplyAfterTheSequenceWrapsFindsTheLatestPacket)
{
    linktest::LinkTestRun run(8, 1000);
    std::string last;
    for (int i = 0; i <= 40000; ++i)
        last = run.send(i);
    run.received(last, 40010);
    EXPECT_EQ(run.packets().back().outcome, Outcome::Good);
    EXPECT_EQ(run.packets()[40000 - 32768].outcome, Outcome::Pending);
}

TEST(LinkTest, sendsOnScheduleWithoutCatchingUpAndReportsEachIntervalOnce)
{
    linktest::Plan plan;
    plan.size = 16;
    plan.intervalMs = 100;
    plan.durationMs = 1000;
    plan.timeoutMs = 200;
    plan.reportMs = 250;
    linktest::LinkTest test(plan, 0);
    std::vector<std::pair<std::int64_t, std::string>> air;
    std::vector<linktest::Interval> reported;
    for (std::int64_t now = 0;; now += now == 300 ? 250 : 10) {
        ASSERT_LT(now, 5000);
        if (auto packet = test.due(now); packet && test.run().packets().size() % 5 != 0)
            air.emplace_back(now + 30, *packet); // every fifth is lost
        while (!air.empty() && air.front().first <= now) {
            test.received(air.front().second, now);
            air.erase(air.begin());
        }
        for (const auto& interval : test.takeCompleted(now))
            reported.push_back(interval);
        if (test.finished(now))
            break;
    }
    const auto totals = test.run().totals();
    EXPECT_EQ(totals.sent, 9); // a 250 ms stall costs two sends and brings one, not a burst
    EXPECT_EQ(totals.lost, 1);
    ASSERT_EQ(reported.size(), 4u);
    int sent = 0;
    for (const auto& interval : reported)
        sent += interval.totals.sent;
    EXPECT_EQ(sent, totals.sent);
}

TEST(LinkTestReport, theCsvHoldsEveryPacketAndTotalsEqualToTheRun)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    linktest::Plan plan;
    plan.size = 10;
    plan.intervalMs = 100;
    plan.timeoutMs = 150;
    linktest::LinkTest test(plan, 5000);
    const linktest::RunClock clock {5000, 1714555800000}; // 2024-05-01 09:30:00 UTC
    std::string replies;
    for (std::int64_t now = 5000; now < 5300; now += 100)
        replies += *test.due(now);
    replies.erase(10, 10); // the second is lost
    replies[15] ^= 2; // the third damaged
    test.received(replies, 5350);
    test.stop(5350);
    test.due(5500);
    EXPECT_EQ(linktest::reportFileName(clock, "/dev/serial/by-id/usb-FT:1", "csv"),
        "linktest-20240501-093000-usb-FT_1.csv");
    const std::string csv = linktest::reportCsv(test, clock, "COM1");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n\r\n")),
        "time,sequence,size,outcome,round_trip_ms\r\n"
        "2024-05-01 09:30:00.000,0,10,late,350\r\n"
        "2024-05-01 09:30:00.100,1,10,lost,\r\n"
        "2024-05-01 09:30:00.200,2,10,corrupted,");
    for (const char* row : {"sent,3\r\n", "good,0\r\n", "lost,1\r\n", "corrupted,1\r\n",
             "late,1\r\n", "error_percent,66.67\r\n", "throughput_bytes_per_s,33.3\r\n"})
        EXPECT_NE(csv.find(row), std::string::npos) << row;
}
