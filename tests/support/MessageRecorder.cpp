#include "tests/support/MessageRecorder.h"

#include "platform/user/WinUser.h"

#include <algorithm>
#include <cstdio>

namespace tavren::test {

namespace {

std::string Hex(unsigned long long n)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llX", n);
    return buf;
}

std::string MessageName(UINT nMsg)
{
    if (nMsg == WM_NOTIFY)
        return "WM_NOTIFY";
    if (nMsg == WM_COMMAND)
        return "WM_COMMAND";
    return nMsg >= WM_APP ? "WM_APP+" + Hex(nMsg - WM_APP) : Hex(nMsg);
}

std::string DescribeExpected(const ExpectedMessage& e)
{
    std::string s = MessageName(e.nMsg);
    if (e.nFlags & kWParam)
        s += " wParam " + std::to_string(static_cast<long long>(e.wParam));
    if (e.nFlags & kLParam)
        s += " lParam " + std::to_string(static_cast<long long>(e.lParam));
    if (e.nFlags & (kCode | kId))
        s += " code " + std::to_string(static_cast<int>(e.nCode)) + " id " + std::to_string(e.nId);
    return s;
}

std::string DescribeMessage(const RecordedMessage& m)
{
    return DescribeExpected({m.nMsg, kWParam | kLParam | (m.nCode || m.nId ? kCode : 0u), m.wParam, m.lParam, m.nCode, m.nId});
}

} // namespace

bool ExpectedMessage::Matches(const RecordedMessage& m) const
{
    return m.nMsg == nMsg && (!(nFlags & kWParam) || m.wParam == wParam) && (!(nFlags & kLParam) || m.lParam == lParam) &&
           (!(nFlags & kCode) || m.nCode == nCode) && (!(nFlags & kId) || m.nId == nId);
}

void MessageRecorder::Record(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    RecordedMessage m{nMsg, wParam, lParam, 0, 0};
    if (nMsg == WM_NOTIFY && lParam) {
        const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        m.nCode = pHeader->code;
        m.nId = pHeader->idFrom;
    } else if (nMsg == WM_COMMAND) {
        m.nCode = HIWORD(wParam);
        m.nId = LOWORD(wParam);
    }
    Record(m);
}

void MessageRecorder::Record(const RecordedMessage& message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.push_back(message);
}

std::vector<RecordedMessage> MessageRecorder::Messages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

size_t MessageRecorder::Size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages.size();
}

bool MessageRecorder::Has(UINT nMsg) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::any_of(m_messages.begin(), m_messages.end(), [nMsg](const RecordedMessage& m) { return m.nMsg == nMsg; });
}

RecordedMessage MessageRecorder::Last() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages.empty() ? RecordedMessage{} : m_messages.back();
}

void MessageRecorder::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.clear();
}

::testing::AssertionResult MatchSequence(const std::vector<RecordedMessage>& actual,
                                         const std::vector<ExpectedMessage>& expected)
{
    size_t j = 0;
    std::string strWhy;
    for (; j < expected.size() && j < actual.size() && strWhy.empty(); ++j)
        if (!expected[j].Matches(actual[j]))
            strWhy = "at message " + std::to_string(j) + ": expected " + DescribeExpected(expected[j]) + ", got " +
                     DescribeMessage(actual[j]);
    if (strWhy.empty()) {
        if (j < expected.size())
            strWhy = "missing " + DescribeExpected(expected[j]) + " after message " + std::to_string(j);
        else if (j < actual.size())
            strWhy = "unexpected " + DescribeMessage(actual[j]) + " at message " + std::to_string(j);
        else
            return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult result = ::testing::AssertionFailure();
    result << "the message sequence differs " << strWhy << "\n  expected:";
    for (const ExpectedMessage& e : expected)
        result << "\n    " << DescribeExpected(e);
    result << "\n  recorded:";
    for (const RecordedMessage& m : actual)
        result << "\n    " << DescribeMessage(m);
    return result;
}

} // namespace tavren::test
