// What the host application offers and keeps between calls, as a real host would: the exports it
// shows (with the sample file each one sends), the last folder and storage of Write a Design, the
// language. Run is on the UI thread; the language is also read by the page's threads.
#pragma once

#include "host/ModuleExports.h"
#include "host/UiCall.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

class CHostSession {
public:
    // bSampler also offers the host's own control sampler dialog.
    CHostSession(const CModuleExports& exports, bool bSampler);

    // [{"name", "label"[, "file"]}...]: what the page may call (ChangeLanguage aside).
    const nlohmann::json& Offers() const { return m_offers; }
    bool Offered(const std::string& strExport) const;
    bool CanChangeLanguage() const { return m_exports.m_pfnChangeLanguage != nullptr; }
    int Language() const { return m_nLanguage; }

    // On the UI thread: runs the export (its modal loop included); what it returned.
    nlohmann::json Run(const UiCall& call);

private:
    nlohmann::json RunWriteSend(bool bStx);

    const CModuleExports& m_exports;
    std::filesystem::path m_designSample;
    std::filesystem::path m_stxSample;
    nlohmann::json m_offers;
    std::u16string m_strFolder;
    int32_t m_nStorage = 0;
    int32_t m_nSelectAfterSend = 1;
    std::atomic<int> m_nLanguage{1033};
};
