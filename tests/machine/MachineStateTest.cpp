// The machine's settings grammar and the faults it arms.
#include "machine/MachineState.h"

#include <gtest/gtest.h>

using quorvel::CMachineFault;
using quorvel::CMachineState;
using quorvel::Op;

namespace {

bool Apply(CMachineState& s, std::vector<std::string> words)
{
    std::string error;
    return s.Apply(words, &error);
}

TEST(MachineStateTest, Fault_CountsDownAndDisarms)
{
    CMachineState s;
    ASSERT_TRUE(Apply(s, {"fault", "downloadfile", "0x8010", "--count", "2"}));
    EXPECT_EQ(s.TakeFault(Op::UploadFile).m_nKind, CMachineFault::None);
    for (int i = 0; i < 2; ++i) {
        CMachineFault f = s.TakeFault(Op::DownloadFile);
        EXPECT_EQ(f.m_nKind, CMachineFault::Code);
        EXPECT_EQ(f.m_nCode, 0x8010);
    }
    EXPECT_EQ(s.TakeFault(Op::DownloadFile).m_nKind, CMachineFault::None);

    ASSERT_TRUE(Apply(s, {"fault", "UploadList", "delay", "250"}));
    CMachineFault d = s.TakeFault(Op::UploadList);
    EXPECT_EQ(d.m_nKind, CMachineFault::Delay);
    EXPECT_EQ(d.m_nDelayMs, 250u);
    ASSERT_TRUE(Apply(s, {"fault", "GetConnectedDevice", "pull"}));
    EXPECT_EQ(s.TakeFault(Op::Connect).m_nKind, CMachineFault::PullCable);
}

TEST(MachineStateTest, Cable_PlugAfterPullStartsANewGeneration)
{
    CMachineState s;
    uint32_t g = s.m_nGeneration;
    ASSERT_TRUE(Apply(s, {"cable", "plug"}));
    EXPECT_EQ(s.m_nGeneration, g); // already plugged: same machine
    ASSERT_TRUE(Apply(s, {"cable", "pull"}));
    EXPECT_FALSE(s.m_bPlugged);
    ASSERT_TRUE(Apply(s, {"cable", "plug"}));
    EXPECT_EQ(s.m_nGeneration, g + 1);
}

TEST(MachineStateTest, Listing_BrokenOnceThenWhole)
{
    CMachineState s;
    ASSERT_TRUE(Apply(s, {"listing", "oversized-length"}));
    EXPECT_EQ(s.TakeListingFault(), quorvel::ListingFault::OversizedLength);
    EXPECT_EQ(s.TakeListingFault(), quorvel::ListingFault::None);
}

} // namespace
