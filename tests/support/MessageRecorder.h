// A message-sequence recorder in the manner of Wine's message tests: a window procedure, message
// map or notification handler feeds it, and the test compares what came with what should have,
// in order:
//
//     LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
//     {
//         m_recorder.Record(nMsg, wParam, lParam);
//         ...
//     }
//     using namespace tavren::test;
//     EXPECT_SEQUENCE(dlg.m_recorder, {{WM_XFER_START, kWParam, 3},
//                                      {WM_XFER_STEP, kWParam, 0},
//                                      {WM_NOTIFY, kCode | kId, 0, 0, LVN_ITEMCHANGED, 13007},
//                                      {WM_XFER_DONE}});
//
// An expected entry always compares the message; its flags add wParam, lParam, the notification
// code and the control id. The recorder is locked, so another thread may read it while the
// window's thread records.
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
    UINT nCode = 0;     // WM_NOTIFY: the header's code; WM_COMMAND: the notification (high word)
    UINT_PTR nId = 0;   // WM_NOTIFY: the header's control id; WM_COMMAND: the id (low word)
};

enum MessageFlags : unsigned {
    kWParam = 1u << 0,
    kLParam = 1u << 1,
    kCode = 1u << 2,
    kId = 1u << 3,
};

struct ExpectedMessage {
    UINT nMsg = 0;
    unsigned nFlags = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    UINT nCode = 0;
    UINT_PTR nId = 0;

    bool Matches(const RecordedMessage& m) const;
};

class MessageRecorder {
public:
    // A message as a window procedure gets it; WM_NOTIFY and WM_COMMAND keep their code and id
    // (the NMHDR behind lParam does not outlive the call).
    void Record(UINT nMsg, WPARAM wParam, LPARAM lParam);
    // A message with fields of the test's choosing (e.g. a notification's item in wParam).
    void Record(const RecordedMessage& message);

    std::vector<RecordedMessage> Messages() const;
    size_t Size() const;
    bool Has(UINT nMsg) const;
    // The last message recorded; a zero message when none was.
    RecordedMessage Last() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<RecordedMessage> m_messages;
};

// Walks both lists side by side; anything out of place fails, with both sequences in the message.
::testing::AssertionResult MatchSequence(const std::vector<RecordedMessage>& actual,
                                         const std::vector<ExpectedMessage>& expected);

} // namespace tavren::test

#define EXPECT_SEQUENCE(recorder, ...) EXPECT_TRUE(::tavren::test::MatchSequence((recorder).Messages(), __VA_ARGS__))
