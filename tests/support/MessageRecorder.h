// A message-sequence recorder: a window procedure feeds it, and the test compares what came with
// what should have, in order:
//
//     m_recorder.Record(nMsg, wParam, lParam);                        // in WindowProc
//     EXPECT_SEQUENCE(dlg.m_recorder, {{WM_XFER_START, kWParam, 3}, {WM_XFER_DONE}});
//
// An expected entry always compares the message; kWParam adds wParam. The recorder is locked, so
// another thread may read it while the window's thread records.
#pragma once

#include "platform/base/WinTypes.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace tavren::test {

struct RecordedMessage {
    UINT nMsg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

enum MessageFlags : unsigned { kWParam = 1u << 0 };

struct ExpectedMessage {
    UINT nMsg = 0;
    unsigned nFlags = 0;
    WPARAM wParam = 0;
};

class MessageRecorder {
public:
    void Record(UINT nMsg, WPARAM wParam, LPARAM lParam);
    std::vector<RecordedMessage> Messages() const;
    size_t Size() const;
    bool Has(UINT nMsg) const;
    // The last message recorded; a zero message when none was.
    RecordedMessage Last() const;

private:
    mutable std::mutex m_mutex;
    std::vector<RecordedMessage> m_messages;
};

// Walks both lists side by side; anything out of place fails, with both sequences in the message.
::testing::AssertionResult MatchSequence(const std::vector<RecordedMessage>& actual,
                                         const std::vector<ExpectedMessage>& expected);

} // namespace tavren::test

#define EXPECT_SEQUENCE(recorder, ...) EXPECT_TRUE(::tavren::test::MatchSequence((recorder).Messages(), __VA_ARGS__))
