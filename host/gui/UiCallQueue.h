// The calls the page asks for, handed to the host's UI thread one at a time: a call is refused
// while another runs or waits, as a host application's menu would be while a dialog is open.
#pragma once

#include "host/gui/UiCall.h"

#include <nlohmann/json.hpp>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

class CUiCallQueue {
public:
    // False with a reason when a call is running or waiting.
    bool Post(UiCall call, std::string& strError);
    // On the UI thread: the next call, or nullopt once Stop was called and nothing waits.
    std::optional<UiCall> Take();
    // On the UI thread: the call taken last has ended with this result.
    void Done(nlohmann::json result);
    // Waits (bounded) until the call posted last has ended.
    bool WaitDone(int nTimeoutMs);
    // {"busy": the export running or waiting, or null; "last": the last call's result}
    nlohmann::json State();
    void Stop();

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::optional<UiCall> m_pending;
    std::string m_strBusy;
    nlohmann::json m_last = nullptr;
    uint64_t m_nPosted = 0;
    uint64_t m_nDone = 0;
    bool m_bStopping = false;
};
