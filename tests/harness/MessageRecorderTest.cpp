// The message-sequence recorder: what it keeps of WM_COMMAND and WM_NOTIFY, and how a sequence is
// matched (optional entries, flagged fields, missing and extra messages).
#include "tests/support/MessageRecorder.h"

#include "platform/user/WinUser.h"

#include <gtest/gtest.h>

using namespace tavren::test;

namespace {

constexpr UINT WM_STEP = WM_APP + 2;

void RecordThree(MessageRecorder& rec)
{
    rec.Record(WM_COMMAND, (static_cast<WPARAM>(EN_CHANGE) << 16) | 13008, 0);
    NMHDR header{0x1234, 13007, static_cast<UINT>(-101)};
    rec.Record(WM_NOTIFY, 13007, reinterpret_cast<LPARAM>(&header));
    rec.Record(WM_STEP, 2, 7);
}

} // namespace

TEST(MessageSequence, CommandsAndNotificationsKeepTheirCodeAndId)
{
    MessageRecorder rec;
    RecordThree(rec);
    ASSERT_EQ(rec.Size(), 3u);
    std::vector<RecordedMessage> m = rec.Messages();
    EXPECT_EQ(m[0].nCode, static_cast<UINT>(EN_CHANGE));
    EXPECT_EQ(m[0].nId, 13008u);
    EXPECT_EQ(m[1].nCode, static_cast<UINT>(-101));
    EXPECT_EQ(m[1].nId, 13007u);
    EXPECT_EQ(m[2].nCode, 0u);
    EXPECT_TRUE(rec.Has(WM_NOTIFY));
    EXPECT_FALSE(rec.Has(WM_TIMER));
    EXPECT_EQ(rec.Last().lParam, 7);
    rec.Clear();
    EXPECT_EQ(rec.Size(), 0u);
    EXPECT_EQ(rec.Last().nMsg, 0u);
}

TEST(MessageSequence, OptionalEntriesMayBeAbsentAndEveryFlaggedFieldCounts)
{
    MessageRecorder rec;
    RecordThree(rec);
    EXPECT_SEQUENCE(rec, {{WM_COMMAND, kCode | kId, 0, 0, EN_CHANGE, 13008},
                          {WM_NOTIFY, kCode | kId, 0, 0, static_cast<UINT>(-101), 13007},
                          {WM_STEP, kWParam | kLParam, 2, 7}});
    // Optional entries, present or not, anywhere in the sequence.
    EXPECT_SEQUENCE(rec, {{WM_TIMER, kOptional}, {WM_COMMAND}, {WM_CLOSE, kOptional}, {WM_NOTIFY},
                          {WM_STEP, kWParam | kOptional, 2}, {WM_DESTROY, kOptional}});
    // Fields without their flag are not compared.
    EXPECT_SEQUENCE(rec, {{WM_COMMAND, 0, 99, 99, 99, 99}, {WM_NOTIFY}, {WM_STEP}});

    auto mismatch = MatchSequence(rec.Messages(), {{WM_COMMAND}, {WM_NOTIFY, kId, 0, 0, 0, 13008}, {WM_STEP}});
    EXPECT_FALSE(mismatch);
    EXPECT_NE(std::string(mismatch.message()).find("at message 1: expected WM_NOTIFY id 13008"), std::string::npos)
        << mismatch.message();
    auto wrongParam = MatchSequence(rec.Messages(), {{WM_COMMAND}, {WM_NOTIFY}, {WM_STEP, kWParam, 3}});
    EXPECT_FALSE(wrongParam);
    auto missing = MatchSequence(rec.Messages(), {{WM_COMMAND}, {WM_NOTIFY}, {WM_STEP}, {WM_CLOSE}});
    EXPECT_FALSE(missing);
    EXPECT_NE(std::string(missing.message()).find("missing WM_CLOSE"), std::string::npos) << missing.message();
    auto extra = MatchSequence(rec.Messages(), {{WM_COMMAND}, {WM_NOTIFY}});
    EXPECT_FALSE(extra);
    EXPECT_NE(std::string(extra.message()).find("unexpected WM_APP+0x2"), std::string::npos) << extra.message();
    // An optional entry does not excuse a wrong message in its place.
    EXPECT_FALSE(MatchSequence(rec.Messages(), {{WM_COMMAND}, {WM_CLOSE, kOptional}, {WM_STEP}}));
    EXPECT_TRUE(MatchSequence({}, {{WM_CLOSE, kOptional}}));
}
