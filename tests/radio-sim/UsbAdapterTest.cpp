#include "UsbAdapter.h"

#include <gtest/gtest.h>
#include <numeric>

namespace radiosim {
namespace {

Bytes count(std::size_t n, std::uint8_t from = 0)
{
    Bytes bytes(n);
    std::iota(bytes.begin(), bytes.end(), from);
    return bytes;
}

TEST(UsbAdapter, holdsBytesUntilTheTimerRunsOutFromTheFirstHeldByte)
{
    UsbAdapter adapter(16'000);
    EXPECT_FALSE(adapter.nextReleaseUs());
    EXPECT_TRUE(adapter.pass({1, 2}, 1'000).empty());
    EXPECT_TRUE(adapter.pass({3}, 10'000).empty()) << "a later byte does not restart the timer";
    EXPECT_EQ(adapter.nextReleaseUs(), 17'000);
    EXPECT_TRUE(adapter.pass({}, 16'999).empty());
    EXPECT_EQ(adapter.pass({}, 17'000), (Bytes {1, 2, 3}));
    EXPECT_TRUE(adapter.empty());
    EXPECT_FALSE(adapter.nextReleaseUs());
}

TEST(UsbAdapter, aFullPacketGoesAtOnceAndTheRestStartsANewTimer)
{
    UsbAdapter adapter(16'000);
    EXPECT_EQ(adapter.pass(count(130), 0), count(124)) << "two packets of 62";
    EXPECT_EQ(adapter.nextReleaseUs(), 16'000);
    EXPECT_EQ(adapter.pass(count(60, 130), 5'000), count(62, 124)) << "the third fills";
    EXPECT_EQ(adapter.nextReleaseUs(), 21'000) << "the last bytes wait from when they came";
    EXPECT_EQ(adapter.pass({}, 21'000), count(4, 186));
}

TEST(UsbAdapter, bytesAfterAnExpiredTimerFollowTheHeldOnesAndWaitAgain)
{
    UsbAdapter adapter(2'000);
    adapter.pass({1}, 0);
    EXPECT_EQ(adapter.pass({2}, 2'500), (Bytes {1}));
    EXPECT_EQ(adapter.nextReleaseUs(), 4'500);
    EXPECT_EQ(adapter.pass({}, 4'500), (Bytes {2}));
}

} // namespace
} // namespace radiosim
