#include "tests/support/MessageRecorder.h"

#include "platform/user/WinUser.h"

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
    switch (nMsg) {
    case WM_DESTROY: return "WM_DESTROY";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_NOTIFY: return "WM_NOTIFY";
    case WM_INITDIALOG: return "WM_INITDIALOG";
    case WM_COMMAND: return "WM_COMMAND";
    case WM_TIMER: return "WM_TIMER";
    case WM_DEVICECHANGE: return "WM_DEVICECHANGE";
    default: break;
    }
    if (nMsg >= WM_APP)
        return "WM_APP+" + Hex(nMsg - WM_APP);
    if (nMsg >= WM_USER)
        return "WM_USER+" + Hex(nMsg - WM_USER);
    return Hex(nMsg);
}

std::string DescribeExpected(const ExpectedMessage& e)
{
    std::string s = MessageName(e.nMsg);
    if (e.nFlags & kWParam)
        s += " wParam " + std::to_string(static_cast<long long>(e.wParam));
    if (e.nFlags & kLParam)
        s += " lParam " + std::to_string(static_cast<long long>(e.lParam));
    if (e.nFlags & kCode)
        s += " code " + std::to_string(static_cast<int>(e.nCode));
    if (e.nFlags & kId)
        s += " id " + std::to_string(e.nId);
    if (e.nFlags & kOptional)
        s += " (optional)";
    return s;
}

} // namespace

bool ExpectedMessage::Matches(const RecordedMessage& m) const
{
    return m.nMsg == nMsg && (!(nFlags & kWParam) || m.wParam == wParam) && (!(nFlags & kLParam) || m.lParam == lParam) &&
           (!(nFlags & kCode) || m.nCode == nCode) && (!(nFlags & kId) || m.nId == nId);
}

std::string DescribeMessage(const RecordedMessage& m)
{
    std::string s = MessageName(m.nMsg) + " wParam " + std::to_string(static_cast<long long>(m.wParam)) + " lParam " +
                    std::to_string(static_cast<long long>(m.lParam));
    if (m.nMsg == WM_NOTIFY || m.nMsg == WM_COMMAND || m.nCode || m.nId)
        s += " code " + std::to_string(static_cast<int>(m.nCode)) + " id " + std::to_string(m.nId);
    return s;
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
    for (const RecordedMessage& m : m_messages)
        if (m.nMsg == nMsg)
            return true;
    return false;
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
    size_t i = 0, j = 0;
    std::string strWhy;
    while (i < expected.size() && j < actual.size()) {
        if (expected[i].Matches(actual[j])) {
            ++i;
            ++j;
        } else if (expected[i].nFlags & kOptional) {
            ++i;
        } else {
            strWhy = "at message " + std::to_string(j) + ": expected " + DescribeExpected(expected[i]) + ", got " +
                     DescribeMessage(actual[j]);
            break;
        }
    }
    if (strWhy.empty()) {
        while (i < expected.size() && (expected[i].nFlags & kOptional))
            ++i;
        if (i < expected.size())
            strWhy = "missing " + DescribeExpected(expected[i]) + " after message " + std::to_string(j);
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
