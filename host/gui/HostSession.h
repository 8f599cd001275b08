// What the host application offers and keeps between calls, as a real host would: the exports it
// shows (Write a Design with the sample files it can send), and for each Write a Design export the
// last folder, storage and select-after-send value, handed in again the next time; the language.
// Run is on the UI thread; the language and what is kept are also read by the page's threads.
#pragma once

#include "host/gui/ModuleExports.h"
#include "host/gui/UiCall.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class CHostSession {
public:
    // bSampler also offers the host's own control sampler dialog.
    CHostSession(const CModuleExports& exports, bool bSampler);

    // [{"name", "label", "kind": "plain" | "manage" | "write"[, "files": [...]]}...]: what the
    // page may call (ChangeLanguage aside); a Write a Design export lists the sample files.
    const nlohmann::json& Offers() const { return m_offers; }
    bool Offered(const std::string& strExport) const;
    bool CanChangeLanguage() const { return m_exports.m_pfnChangeLanguage != nullptr; }
    int Language() const { return m_nLanguage; }
    // {"WriteSendDialog": {"folder", "storage", "selectAfterSend"}, "WriteSendStxDialog": {...}}
    nlohmann::json Kept();

    // On the UI thread: runs the export (its modal loop included); what it returned.
    nlohmann::json Run(const UiCall& call);

private:
    // What a host keeps of one Write a Design export between calls.
    struct KeptValues {
        std::u16string strFolder;
        int32_t nStorage = 0;
        int32_t nSelectAfterSend = 1;
    };

    nlohmann::json RunWriteSend(const UiCall& call, bool bStx);

    const CModuleExports& m_exports;
    std::vector<std::filesystem::path> m_designs;
    std::vector<std::filesystem::path> m_patterns;
    nlohmann::json m_offers;
    std::mutex m_mutex;
    std::map<std::string, KeptValues> m_kept;
    std::atomic<int> m_nLanguage{1033};
};
