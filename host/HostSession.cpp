#include "host/HostSession.h"

#include "host/GuiSamplerDlg.h"
#include "host/SampleFiles.h"
#include "platform/afx/CString.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::vector<uint8_t> ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

json Result(int32_t n)
{
    return {{"result", n}, {"name", n == IDOK ? "IDOK" : n == IDCANCEL ? "IDCANCEL" : ""}};
}

} // namespace

CHostSession::CHostSession(const CModuleExports& exports, bool bSampler) : m_exports(exports)
{
    if (auto designs = SampleDesigns(); !designs.empty())
        m_designSample = designs.front();
    if (auto stx = SampleStxPatterns(); !stx.empty())
        m_stxSample = stx.front();
    m_offers = json::array();
    if (m_exports.m_pfnComSetDialog)
        m_offers.push_back({{"name", "ComSetDialog"}, {"label", "Connection Settings"}});
    if (m_exports.m_pfnWriteSendDialog && !m_designSample.empty())
        m_offers.push_back({{"name", "WriteSendDialog"}, {"label", "Write a Design"}, {"file", m_designSample.filename().string()}});
    if (m_exports.m_pfnWriteSendStxDialog && !m_stxSample.empty())
        m_offers.push_back({{"name", "WriteSendStxDialog"}, {"label", "Write an STX Pattern"}, {"file", m_stxSample.filename().string()}});
    if (m_exports.m_pfnManageStxDialog)
        m_offers.push_back({{"name", "ManageStxDialog"}, {"label", "File Manager"}});
    if (bSampler)
        m_offers.push_back({{"name", "Sampler"}, {"label", "Control Sampler"}});
}

bool CHostSession::Offered(const std::string& strExport) const
{
    if (strExport == "ChangeLanguage")
        return CanChangeLanguage();
    return std::any_of(m_offers.begin(), m_offers.end(), [&](const json& e) { return e["name"] == strExport; });
}

json CHostSession::Run(const UiCall& call)
{
    json r = {{"export", call.strExport}};
    if (call.strExport == "ChangeLanguage" && m_exports.m_pfnChangeLanguage) {
        bool bOk = m_exports.m_pfnChangeLanguage(call.nLanguage);
        if (bOk)
            m_nLanguage = call.nLanguage;
        r["result"] = bOk;
        r["language"] = call.nLanguage;
    } else if (call.strExport == "ComSetDialog" && m_exports.m_pfnComSetDialog) {
        r.update(Result(m_exports.m_pfnComSetDialog(0, 0)));
    } else if ((call.strExport == "WriteSendDialog" && m_exports.m_pfnWriteSendDialog) ||
               (call.strExport == "WriteSendStxDialog" && m_exports.m_pfnWriteSendStxDialog)) {
        r.update(RunWriteSend(call.strExport == "WriteSendStxDialog"));
    } else if (call.strExport == "Sampler") {
        CGuiSamplerDlg dlg;
        r.update(Result(static_cast<int32_t>(dlg.DoModal())));
    } else if (call.strExport == "ManageStxDialog" && m_exports.m_pfnManageStxDialog) {
        r.update(Result(m_exports.m_pfnManageStxDialog(0, 0, 2)));
    } else {
        r["error"] = "the module has no such export";
    }
    return r;
}

json CHostSession::RunWriteSend(bool bStx)
{
    const fs::path& file = bStx ? m_stxSample : m_designSample;
    std::vector<uint8_t> bytes = ReadFile(file);
    std::u16string strName = tavren::Utf8ToUtf16(file.filename().string());
    std::vector<char16_t> folder(260, 0);
    std::copy_n(m_strFolder.begin(), std::min<size_t>(m_strFolder.size(), folder.size() - 1), folder.begin());
    auto pfn = bStx ? m_exports.m_pfnWriteSendStxDialog : m_exports.m_pfnWriteSendDialog;
    // Target 2: the machine or a USB flash drive; the host offers select-after-send.
    int32_t n = pfn(bytes.data(), static_cast<uint32_t>(bytes.size()), strName.c_str(), 1, folder.data(),
                    static_cast<uint32_t>(folder.size() * sizeof(char16_t)), &m_nStorage, &m_nSelectAfterSend, 2, 0, 0);
    folder.back() = 0;
    m_strFolder = folder.data();
    json r = Result(n);
    r["file"] = file.filename().string();
    r["folder"] = tavren::Utf16ToUtf8(m_strFolder);
    r["storage"] = m_nStorage;
    return r;
}
