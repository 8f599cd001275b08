// The host's side of the exports, against stand-ins that record what the host hands them: the
// offers follow the exports the module has, the File Manager gets the target and deep-folders flag
// chosen on the page, Write a Design gets the chosen sample (or the uploaded bytes) and, the next
// time, the folder, storage and select-after-send value the module handed back; the page's call
// JSON and its base64 upload are read as posted.
#include "design/EmbFile.h"
#include "host/cli/DstConverter.h"
#include "host/gui/HostSession.h"
#include "host/cli/SampleFiles.h"
#include "host/gui/UiCallJson.h"

#include "platform/afx/CString.h"
#include "platform/user/WinUser.h"
#include "tests/design/FixtureWriter.h"

#include <gtest/gtest.h>

using nlohmann::json;

namespace {

// What the stand-in exports were handed last (the bytes apart), and what Write a Design answers:
// a folder to hand back (empty: none) with its storage, and the result.
json g_handed;
fixture::Bytes g_bytes;
struct {
    std::u16string strFolder;
    int32_t storage = 0, result = IDOK;
} g_answer;

int32_t Write(const char* pszExport, const uint8_t* bytes, uint32_t count, const char16_t* name, uint8_t enable, char16_t* folder,
              uint32_t folderBytes, int32_t* storage, int32_t* selectAfterSend, int32_t target, uint8_t deep, uint32_t parent)
{
    g_bytes.assign(bytes, bytes + count);
    g_handed = {{"export", pszExport}, {"name", tavren::Utf16ToUtf8(name)}, {"enable", enable}, {"folder", tavren::Utf16ToUtf8(folder)},
                {"folderBytes", folderBytes}, {"storage", *storage}, {"selectAfterSend", *selectAfterSend}, {"target", target},
                {"deep", deep}, {"parent", parent}};
    if (!g_answer.strFolder.empty()) {
        std::copy(g_answer.strFolder.begin(), g_answer.strFolder.end(), folder);
        folder[g_answer.strFolder.size()] = 0;
        *storage = g_answer.storage;
    }
    return g_answer.result;
}

int32_t Manage(const char* pszExport, uint32_t parent, uint8_t deep, int32_t target)
{
    g_handed = {{"export", pszExport}, {"parent", parent}, {"deep", deep}, {"target", target}};
    return IDCANCEL;
}

// Every export but the language's and Connection Settings, each a stand-in.
CModuleExports StandIns()
{
    CModuleExports exports;
    exports.m_pfnWriteSendDialog = [](auto... a) { return Write("WriteSendDialog", a...); };
    exports.m_pfnWriteSendStxDialog = [](auto... a) { return Write("WriteSendStxDialog", a...); };
    exports.m_pfnManageDesignDialog = [](auto... a) { return Manage("ManageDesignDialog", a...); };
    exports.m_pfnManageStxDialog = [](auto... a) { return Manage("ManageStxDialog", a...); };
    return exports;
}

json Call(CHostSession& session, const json& body)
{
    g_handed = json();
    std::string strError;
    std::optional<UiCall> call = ParseUiCall(body, strError);
    EXPECT_TRUE(call) << strError;
    return call ? session.Run(*call) : json();
}

std::string Base64(const fixture::Bytes& b)
{
    std::string s;
    for (size_t i = 0; i < b.size(); i += 3) {
        const uint32_t v = uint32_t(b[i]) << 16 | (i + 1 < b.size() ? uint32_t(b[i + 1]) << 8 : 0) | (i + 2 < b.size() ? b[i + 2] : 0);
        for (size_t k = 0; k < 4; ++k)
            s += k <= b.size() - i ? "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return s;
}

} // namespace

TEST(HostSession, OffersOnlyTheExportsTheModuleHas)
{
    const auto offered = [](const CModuleExports& exports, bool bSampler) {
        std::map<std::string, json> seen;
        const CHostSession session(exports, bSampler);
        for (const json& o : session.Offers())
            seen[o["name"]] = {o["kind"], o.value("files", json::array()).size()};
        return seen;
    };
    EXPECT_TRUE(offered(CModuleExports(), false).empty());
    CModuleExports exports = StandIns();
    exports.m_pfnManageDesignDialog = nullptr;
    exports.m_pfnWriteSendDialog = nullptr;
    const size_t nPatterns = SampleStxPatterns().size();
    EXPECT_EQ(offered(exports, false), (std::map<std::string, json>{{"ManageStxDialog", {"manage", 0}}, {"WriteSendStxDialog", {"write", nPatterns}}}));
    EXPECT_EQ(offered(StandIns(), true),
              (std::map<std::string, json>{{"ManageStxDialog", {"manage", 0}}, {"ManageDesignDialog", {"manage", 0}},
                                           {"WriteSendDialog", {"write", SampleDesigns().size()}},
                                           {"WriteSendStxDialog", {"write", nPatterns}}, {"Sampler", {"plain", 0}}}));
}

// The File Manager gets the target and deep-folders flag chosen on the page; the language buttons'
// choice reaches the module's switch (which tests/module pins).
TEST(HostSession, FileManagerGetsTheChosenTargetAndDeepFoldersAndTheLanguageItsSwitch)
{
    CModuleExports exports = StandIns();
    exports.m_pfnChangeLanguage = [](int32_t language) {
        g_handed = {{"export", "ChangeLanguage"}, {"language", language}};
        return language == 1041;
    };
    CHostSession session(exports, false);
    json r = Call(session, {{"export", "ManageDesignDialog"}, {"target", 0}, {"deepFolders", true}});
    EXPECT_EQ(g_handed, (json{{"export", "ManageDesignDialog"}, {"parent", 0}, {"deep", 1}, {"target", 0}}));
    EXPECT_EQ(r, (json{{"export", "ManageDesignDialog"}, {"result", IDCANCEL}, {"name", "IDCANCEL"}, {"target", 0}, {"deepFolders", true}}));
    // Left out: machine or USB flash drive, shallow folders.
    Call(session, {{"export", "ManageStxDialog"}});
    EXPECT_EQ(g_handed, (json{{"export", "ManageStxDialog"}, {"parent", 0}, {"deep", 0}, {"target", 2}}));
    for (int language : {1041, 2052}) {
        r = Call(session, {{"export", "ChangeLanguage"}, {"language", language}});
        EXPECT_EQ(g_handed, (json{{"export", "ChangeLanguage"}, {"language", language}}));
        EXPECT_EQ(r["result"], language == 1041) << r;
    }
}

TEST(HostSession, WriteADesignKeepsFolderStorageAndSelectAfterSendBetweenCalls)
{
    const CModuleExports exports = StandIns();
    CHostSession session(exports, false);
    const std::filesystem::path sample = SampleDesigns().at(1);
    const std::string strFile = sample.filename().string();

    // The first call: what the page chose, and the module hands a folder and storage back.
    g_answer = {u"\\\\EMB\\Flowers", 1, IDOK};
    json r = Call(session, {{"export", "WriteSendDialog"}, {"file", strFile}, {"name", "Rose .QEF"}, {"folder", "\\\\EMB"}, {"storage", 2},
                           {"selectAfterSendEnable", false}, {"selectAfterSend", 0}, {"target", 1}, {"deepFolders", true}});
    EXPECT_EQ(g_handed, (json{{"export", "WriteSendDialog"}, {"name", "Rose .QEF"}, {"enable", 0}, {"folder", "\\\\EMB"}, {"folderBytes", 520},
                              {"storage", 2}, {"selectAfterSend", 0}, {"target", 1}, {"deep", 1}, {"parent", 0}}));
    EXPECT_EQ(g_bytes, fixture::ReadWholeFile(sample.string()));
    EXPECT_EQ(r, (json{{"export", "WriteSendDialog"}, {"result", IDOK}, {"name", "IDOK"}, {"file", strFile}, {"proposedName", "Rose .QEF"},
                       {"folder", "\\\\EMB\\Flowers"}, {"storage", 1}, {"selectAfterSend", 0}, {"target", 1}, {"deepFolders", true}}));

    // The next call gives none of them: the host hands in what it kept; the name is the file's.
    g_answer = {u"", 0, IDCANCEL};
    r = Call(session, {{"export", "WriteSendDialog"}, {"file", strFile}});
    EXPECT_EQ(g_handed, (json{{"export", "WriteSendDialog"}, {"name", strFile}, {"enable", 1}, {"folder", "\\\\EMB\\Flowers"}, {"folderBytes", 520},
                              {"storage", 1}, {"selectAfterSend", 0}, {"target", 2}, {"deep", 0}, {"parent", 0}}));
    EXPECT_EQ((json{r["result"], r["folder"]}), (json{IDCANCEL, "\\\\EMB\\Flowers"}));

    // STX patterns keep their own folder: the design folder is not handed to them.
    Call(session, {{"export", "WriteSendStxDialog"}, {"file", SampleStxPatterns().at(0).filename().string()}});
    EXPECT_EQ((json{g_handed["export"], g_handed["folder"], g_handed["storage"]}), (json{"WriteSendStxDialog", "", 0}));
    EXPECT_EQ(g_bytes, fixture::ReadWholeFile(SampleStxPatterns().at(0).string()));

    // Only the offered samples can be named: no path reaches the file system.
    for (const json& call : {json{{"export", "WriteSendDialog"}, {"file", "../../../etc/passwd"}}, json{{"export", "WriteSendDialog"}}}) {
        EXPECT_TRUE(Call(session, call).contains("error")) << call;
        EXPECT_TRUE(g_handed.is_null()) << call;
    }
}

// An uploaded DST design reaches the module as the converter's QEF design (whose fidelity is
// ConvertCommandTest.cpp's), named .qef after the name typed; the sent design and the page's note
// on it are the Write a Design journey's (tests/e2e). What the machine could not take, or what is
// not a DST design at all, is refused before the module is called.
TEST(HostSession, WriteADesignConvertsAnUploadedDstDesignOrSaysWhyNot)
{
    using namespace fixture;
    const CModuleExports exports = StandIns();
    CHostSession session(exports, false);
    g_answer = {};
    const Bytes dst = MakeDst({JumpBy(-30, 0), Sew(100, 0), Sew(0, 80), ChangeColor(), Sew(-50, 0), Sew(0, -20), EndDesign()});
    Bytes qef;
    std::string why;
    ASSERT_TRUE(ConvertDstToNative(dst, CEmbFile::dftQef, qef, why)) << why;
    json r = Call(session, {{"export", "WriteSendDialog"}, {"file", "a.dst"}, {"name", "Rose.DST"}, {"upload", Base64(dst)}});
    EXPECT_EQ(g_handed["name"], "Rose.qef");
    EXPECT_EQ(g_bytes, qef);
    EXPECT_EQ(r["converted"], (json{{"from", "a.dst"}, {"to", "Rose.qef"}, {"design", "11 stitch words in 2 colours, 7.0 x 8.0 mm"}}));
    r = Call(session, {{"export", "WriteSendDialog"}, {"file", "Mine.qpx"}, {"upload", "AQID/w=="}});
    EXPECT_EQ(g_bytes, (Bytes{1, 2, 3, 255}));
    EXPECT_FALSE(r.contains("converted")) << "a native design goes as it is";

    r = Call(session, {{"export", "WriteSendDialog"}, {"file", "Wide.dst"}, {"upload", Base64(MakeDst({Sew(3000, 0), EndDesign()}))}});
    EXPECT_TRUE(g_handed.is_null() && !r.contains("result")) << r;
    EXPECT_EQ(r["error"].get<std::string>().rfind("Wide.dst cannot go to the machine: it reaches ", 0), 0u) << r;
    EXPECT_NE(r["error"].get<std::string>().find("300.0 mm right"), std::string::npos) << r;
    EXPECT_NE(r["refused"].get<std::string>().find("the editing area reaches"), std::string::npos) << r;
    r = Call(session, {{"export", "WriteSendDialog"}, {"file", "Mine.dst"}, {"upload", "AQID/w=="}});
    EXPECT_TRUE(g_handed.is_null());
    EXPECT_EQ(r["refused"], "it is too short for a DST design");
}
