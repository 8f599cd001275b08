#include "host/gui/HostSession.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "host/cli/DstConverter.h"
#include "host/gui/GuiSamplerDlg.h"
#include "host/cli/SampleFiles.h"
#include "platform/afx/CString.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

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

json FileNames(const std::vector<fs::path>& files)
{
    json names = json::array();
    for (const fs::path& f : files)
        names.push_back(f.filename().string());
    return names;
}

bool EndsWithDst(const std::string& strName)
{
    if (strName.size() < 4)
        return false;
    std::string ext = strName.substr(strName.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".dst";
}

// The name with its extension (if any) replaced by ".qef".
std::string QefName(const std::string& strName)
{
    size_t dot = strName.rfind('.');
    size_t slash = strName.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return strName + ".qef";
    return strName.substr(0, dot) + ".qef";
}

// What a person reads about a design: "1234 stitches in 3 colours, 52.1 x 40.0 mm".
std::string Describe(const std::vector<uint8_t>& bytes, int nType)
{
    CEmbFile reader(nType);
    CEmbData design;
    if (!reader.ReadBuffer(bytes.data(), bytes.size(), design) || design.m_nStatus <= 0)
        return "";
    design.UpdateExtents();
    const EMBEXTENTS& e = design.m_extents;
    auto mm = [](int n) { return std::to_string(n / 10) + "." + std::to_string(n % 10); };
    return std::to_string(design.m_nStitchWordCount) + " stitch words in " + std::to_string(design.m_nColorBlockCount) +
           (design.m_nColorBlockCount == 1 ? " colour, " : " colours, ") + mm(e.nLeft + e.nRight) + " x " + mm(e.nUp + e.nDown) + " mm";
}

// MAX_PATH characters, as a host's folder buffer.
constexpr size_t kFolderChars = 260;

} // namespace

CHostSession::CHostSession(const CModuleExports& exports, bool bSampler)
    : m_exports(exports), m_designs(SampleDesigns()), m_patterns(SampleStxPatterns())
{
    m_offers = json::array();
    if (m_exports.m_pfnComSetDialog)
        m_offers.push_back({{"name", "ComSetDialog"}, {"label", "Connection Settings"}, {"kind", "plain"}});
    // A design can also come from the person's disk, so Write a Design is offered without samples.
    if (m_exports.m_pfnWriteSendDialog)
        m_offers.push_back({{"name", "WriteSendDialog"}, {"label", "Write a Design"}, {"kind", "write"}, {"files", FileNames(m_designs)}});
    if (m_exports.m_pfnWriteSendStxDialog)
        m_offers.push_back({{"name", "WriteSendStxDialog"}, {"label", "Write an STX Pattern"}, {"kind", "write"}, {"files", FileNames(m_patterns)}});
    if (m_exports.m_pfnManageDesignDialog)
        m_offers.push_back({{"name", "ManageDesignDialog"}, {"label", "File Manager (designs)"}, {"kind", "manage"}});
    if (m_exports.m_pfnManageStxDialog)
        m_offers.push_back({{"name", "ManageStxDialog"}, {"label", "File Manager (STX)"}, {"kind", "manage"}});
    if (bSampler)
        m_offers.push_back({{"name", "Sampler"}, {"label", "Control Sampler"}, {"kind", "plain"}});
    m_kept["WriteSendDialog"];
    m_kept["WriteSendStxDialog"];
}

bool CHostSession::Offered(const std::string& strExport) const
{
    if (strExport == "ChangeLanguage")
        return CanChangeLanguage();
    return std::any_of(m_offers.begin(), m_offers.end(), [&](const json& e) { return e["name"] == strExport; });
}

json CHostSession::Kept()
{
    std::lock_guard lock(m_mutex);
    json j = json::object();
    for (const auto& [strExport, k] : m_kept)
        j[strExport] = {{"folder", tavren::Utf16ToUtf8(k.strFolder)}, {"storage", k.nStorage}, {"selectAfterSend", k.nSelectAfterSend}};
    return j;
}

json CHostSession::Run(const UiCall& call)
{
    json r = {{"export", call.strExport}};
    const std::string& e = call.strExport;
    if (e == "ChangeLanguage" && m_exports.m_pfnChangeLanguage) {
        bool bOk = m_exports.m_pfnChangeLanguage(call.nLanguage);
        if (bOk)
            m_nLanguage = call.nLanguage;
        r["result"] = bOk;
        r["language"] = call.nLanguage;
    } else if (e == "ComSetDialog" && m_exports.m_pfnComSetDialog) {
        r.update(Result(m_exports.m_pfnComSetDialog(0, 0)));
    } else if ((e == "WriteSendDialog" && m_exports.m_pfnWriteSendDialog) ||
               (e == "WriteSendStxDialog" && m_exports.m_pfnWriteSendStxDialog)) {
        r.update(RunWriteSend(call, e == "WriteSendStxDialog"));
    } else if (e == "Sampler") {
        CGuiSamplerDlg dlg;
        r.update(Result(static_cast<int32_t>(dlg.DoModal())));
    } else if ((e == "ManageStxDialog" && m_exports.m_pfnManageStxDialog) ||
               (e == "ManageDesignDialog" && m_exports.m_pfnManageDesignDialog)) {
        auto pfn = e == "ManageStxDialog" ? m_exports.m_pfnManageStxDialog : m_exports.m_pfnManageDesignDialog;
        r.update(Result(pfn(0, call.bDeepFolders ? 1 : 0, call.nTarget)));
        r["target"] = call.nTarget;
        r["deepFolders"] = call.bDeepFolders;
    } else {
        r["error"] = "the module has no such export";
    }
    return r;
}

json CHostSession::RunWriteSend(const UiCall& call, bool bStx)
{
    std::vector<uint8_t> bytes;
    if (call.upload) {
        bytes = *call.upload;
    } else {
        const std::vector<fs::path>& files = bStx ? m_patterns : m_designs;
        auto it = std::find_if(files.begin(), files.end(), [&](const fs::path& f) { return f.filename() == call.strFile; });
        if (it == files.end())
            return {{"error", "no sample file named \"" + call.strFile + "\""}};
        bytes = ReadFile(*it);
    }
    std::string strProposed = call.name.value_or(call.strFile);
    json converted;
    // The machine reads only its own formats: a DST design goes to Write a Design as a QEF design.
    if (!bStx && (EndsWithDst(call.strFile) || EndsWithDst(strProposed))) {
        std::vector<uint8_t> native;
        std::string strWhy;
        if (!ConvertDstToNative(bytes, CEmbFile::dftQef, native, strWhy))
            return {{"file", call.strFile}, {"refused", strWhy},
                    {"error", call.strFile + " cannot go to the machine: " + strWhy}};
        strProposed = QefName(strProposed);
        converted = {{"from", call.strFile}, {"to", strProposed}, {"design", Describe(native, CEmbFile::dftQef)}};
        bytes = std::move(native);
    }
    KeptValues k;
    {
        std::lock_guard lock(m_mutex);
        k = m_kept[call.strExport];
    }
    std::u16string strName = tavren::Utf8ToUtf16(strProposed);
    std::u16string strFolder = call.folder ? tavren::Utf8ToUtf16(*call.folder) : k.strFolder;
    std::vector<char16_t> folder(kFolderChars, 0);
    std::copy_n(strFolder.begin(), std::min(strFolder.size(), folder.size() - 1), folder.begin());
    k.nStorage = call.storage.value_or(k.nStorage);
    k.nSelectAfterSend = call.selectAfterSend.value_or(k.nSelectAfterSend);
    auto pfn = bStx ? m_exports.m_pfnWriteSendStxDialog : m_exports.m_pfnWriteSendDialog;
    int32_t n = pfn(bytes.data(), static_cast<uint32_t>(bytes.size()), strName.c_str(), call.bSelectAfterSendEnable ? 1 : 0,
                    folder.data(), static_cast<uint32_t>(folder.size() * sizeof(char16_t)), &k.nStorage, &k.nSelectAfterSend,
                    call.nTarget, call.bDeepFolders ? 1 : 0, 0);
    folder.back() = 0;
    k.strFolder = folder.data();
    {
        std::lock_guard lock(m_mutex);
        m_kept[call.strExport] = k;
    }
    json r = Result(n);
    r["file"] = call.strFile;
    r["proposedName"] = tavren::Utf16ToUtf8(strName);
    r["folder"] = tavren::Utf16ToUtf8(k.strFolder);
    r["storage"] = k.nStorage;
    r["selectAfterSend"] = k.nSelectAfterSend;
    r["target"] = call.nTarget;
    r["deepFolders"] = call.bDeepFolders;
    if (!converted.is_null())
        r["converted"] = converted;
    return r;
}
