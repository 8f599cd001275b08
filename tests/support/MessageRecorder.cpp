#include "tests/support/MessageRecorder.h"

#include "platform/user/WinUser.h"

#include <algorithm>

namespace tavren::test {

namespace {

std::string Describe(UINT nMsg, const std::string& strParams)
{
    return (nMsg >= WM_APP ? "WM_APP+" + std::to_string(nMsg - WM_APP) : std::to_string(nMsg)) + strParams;
}

std::string Describe(const ExpectedMessage& e)
{
    return Describe(e.nMsg, e.nFlags & kWParam ? " wParam " + std::to_string(static_cast<long long>(e.wParam)) : "");
}

std::string Describe(const RecordedMessage& m)
{
    return Describe(m.nMsg, " wParam " + std::to_string(static_cast<long long>(m.wParam)) + " lParam " +
                                std::to_string(static_cast<long long>(m.lParam)));
}

} // namespace

void MessageRecorder::Record(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.push_back({nMsg, wParam, lParam});
}

std::vector<RecordedMessage> MessageRecorder::Messages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

size_t MessageRecorder::Size() const
{
    return Messages().size();
}

bool MessageRecorder::Has(UINT nMsg) const
{
    const auto all = Messages();
    return std::any_of(all.begin(), all.end(), [nMsg](const RecordedMessage& m) { return m.nMsg == nMsg; });
}

RecordedMessage MessageRecorder::Last() const
{
    const auto all = Messages();
    return all.empty() ? RecordedMessage{} : all.back();
}

::testing::AssertionResult MatchSequence(const std::vector<RecordedMessage>& actual,
                                         const std::vector<ExpectedMessage>& expected)
{
    auto matches = [](const ExpectedMessage& e, const RecordedMessage& m) {
        return m.nMsg == e.nMsg && (!(e.nFlags & kWParam) || m.wParam == e.wParam);
    };
    size_t j = 0;
    while (j < expected.size() && j < actual.size() && matches(expected[j], actual[j]))
        ++j;
    if (j == expected.size() && j == actual.size())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult result = ::testing::AssertionFailure();
    result << "the message sequence differs at message " << j << "\n  expected:";
    for (const ExpectedMessage& e : expected)
        result << "\n    " << Describe(e);
    result << "\n  recorded:";
    for (const RecordedMessage& m : actual)
        result << "\n    " << Describe(m);
    return result;
}

} // namespace tavren::test
