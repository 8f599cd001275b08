// The host's side of the exports, against stand-ins that record what the host hands them: the
// offers follow the exports the module has, the File Manager gets the target and deep-folders flag
// chosen on the page, Write a Design gets the chosen sample (or the uploaded bytes) and, the next
// time, the folder, storage and select-after-send value the module handed back; the page's call
// JSON and its base64 upload are read as posted.
#include "design/EmbFile.h"
#include "host/DstConverter.h"
#include "host/HostSession.h"
#include "host/SampleFiles.h"
#include "host/UiCallJson.h"

#include "platform/afx/CString.h"
#include "platform/user/WinUser.h"
#include "tests/design/FixtureWriter.h"

#include <gtest/gtest.h>

#include <set>

using nlohmann::json;

namespace {

// What the stand-in exports saw last, and what the write stand-in answers.
struct Seen {
    std::string strExport;
    std::vector<uint8_t> bytes;
    std::string strName;
    uint8_t selectAfterSendEnable = 0;
    std::string strFolderIn;
    uint32_t folderBytes = 0;
    int32_t storageIn = -1, selectAfterSendIn = -1, target = -1;
    uint8_t deep = 0;
    uint32_t parent = 99;
    // The answer: a folder to hand back (empty: none), a storage, the result.
    std::u16string strFolderOut;
    int32_t storageOut = 0;
    int32_t result = IDOK;
};
Seen g_seen;

int32_t WriteCommon(const char* pszExport, const uint8_t* bytes, uint32_t count, const char16_t* name, uint8_t enable, char16_t* folder,
                    uint32_t folderBytes, int32_t* storage, int32_t* selectAfterSend, int32_t target, uint8_t deep, uint32_t parent)
{
    g_seen.strExport = pszExport;
    g_seen.bytes.assign(bytes, bytes + count);
    g_seen.strName = tavren::Utf16ToUtf8(name);
    g_seen.selectAfterSendEnable = enable;
    g_seen.strFolderIn = tavren::Utf16ToUtf8(folder);
    g_seen.folderBytes = folderBytes;
    g_seen.storageIn = *storage;
    g_seen.selectAfterSendIn = *selectAfterSend;
    g_seen.target = target;
    g_seen.deep = deep;
    g_seen.parent = parent;
    if (!g_seen.strFolderOut.empty()) {
        std::copy(g_seen.strFolderOut.begin(), g_seen.strFolderOut.end(), folder);
        folder[g_seen.strFolderOut.size()] = 0;
        *storage = g_seen.storageOut;
    }
    return g_seen.result;
}

int32_t FakeWriteSend(const uint8_t* b, uint32_t n, const char16_t* name, uint8_t e, char16_t* f, uint32_t fb, int32_t* s, int32_t* sel,
                      int32_t t, uint8_t d, uint32_t p)
{
    return WriteCommon("WriteSendDialog", b, n, name, e, f, fb, s, sel, t, d, p);
}

int32_t FakeWriteSendStx(const uint8_t* b, uint32_t n, const char16_t* name, uint8_t e, char16_t* f, uint32_t fb, int32_t* s, int32_t* sel,
                         int32_t t, uint8_t d, uint32_t p)
{
    return WriteCommon("WriteSendStxDialog", b, n, name, e, f, fb, s, sel, t, d, p);
}

int32_t FakeManage(const char* pszExport, uint32_t parent, uint8_t deep, int32_t target)
{
    g_seen.strExport = pszExport;
    g_seen.parent = parent;
    g_seen.deep = deep;
    g_seen.target = target;
    return IDCANCEL;
}
int32_t FakeManageStx(uint32_t p, uint8_t d, int32_t t) { return FakeManage("ManageStxDialog", p, d, t); }
int32_t FakeManageDesign(uint32_t p, uint8_t d, int32_t t) { return FakeManage("ManageDesignDialog", p, d, t); }

std::set<std::string> OfferNames(const CHostSession& s)
{
    std::set<std::string> names;
    for (const json& o : s.Offers())
        names.insert(o["name"].get<std::string>());
    return names;
}

UiCall Call(const json& body)
{
    std::string strError;
    std::optional<UiCall> call = ParseUiCall(body, strError);
    EXPECT_TRUE(call) << strError;
    return call.value_or(UiCall{});
}

} // namespace

TEST(HostSession, OffersOnlyTheExportsTheModuleHas)
{
    CModuleExports exports;
    EXPECT_TRUE(OfferNames(CHostSession(exports, false)).empty());
    exports.m_pfnManageStxDialog = FakeManageStx;
    exports.m_pfnWriteSendStxDialog = FakeWriteSendStx;
    {
        CHostSession session(exports, false);
        EXPECT_EQ(OfferNames(session), (std::set<std::string>{"ManageStxDialog", "WriteSendStxDialog"}));
        EXPECT_FALSE(session.Offered("ManageDesignDialog"));
        EXPECT_FALSE(session.Offered("WriteSendDialog"));
    }
    exports.m_pfnManageDesignDialog = FakeManageDesign;
    exports.m_pfnWriteSendDialog = FakeWriteSend;
    CHostSession session(exports, true);
    EXPECT_EQ(OfferNames(session), (std::set<std::string>{"ManageStxDialog", "ManageDesignDialog", "WriteSendDialog",
                                                          "WriteSendStxDialog", "Sampler"}));
    for (const json& o : session.Offers()) {
        if (o["name"] == "WriteSendDialog") {
            EXPECT_EQ(o["kind"], "write");
            ASSERT_EQ(o["files"].size(), SampleDesigns().size());
            EXPECT_EQ(o["files"][0], SampleDesigns()[0].filename().string());
        }
        if (o["name"] == "WriteSendStxDialog") {
            EXPECT_EQ(o["files"].size(), SampleStxPatterns().size());
        }
        if (o["name"] == "ManageDesignDialog" || o["name"] == "ManageStxDialog") {
            EXPECT_EQ(o["kind"], "manage");
        }
    }
}

TEST(HostSession, FileManagerGetsTheChosenTargetAndDeepFolders)
{
    CModuleExports exports;
    exports.m_pfnManageStxDialog = FakeManageStx;
    exports.m_pfnManageDesignDialog = FakeManageDesign;
    CHostSession session(exports, false);

    json r = session.Run(Call({{"export", "ManageDesignDialog"}, {"target", 0}, {"deepFolders", true}}));
    EXPECT_EQ(g_seen.strExport, "ManageDesignDialog");
    EXPECT_EQ(g_seen.target, 0);
    EXPECT_EQ(g_seen.deep, 1);
    EXPECT_EQ(g_seen.parent, 0u);
    EXPECT_EQ(r["result"], IDCANCEL);
    EXPECT_EQ(r["name"], "IDCANCEL");
    EXPECT_EQ(r["target"], 0);
    EXPECT_EQ(r["deepFolders"], true);

    // Left out: machine or USB flash drive, shallow folders.
    session.Run(Call({{"export", "ManageStxDialog"}}));
    EXPECT_EQ(g_seen.strExport, "ManageStxDialog");
    EXPECT_EQ(g_seen.target, 2);
    EXPECT_EQ(g_seen.deep, 0);
}

TEST(HostSession, WriteADesignKeepsFolderStorageAndSelectAfterSendBetweenCalls)
{
    CModuleExports exports;
    exports.m_pfnWriteSendDialog = FakeWriteSend;
    exports.m_pfnWriteSendStxDialog = FakeWriteSendStx;
    CHostSession session(exports, false);
    const std::filesystem::path sample = SampleDesigns().at(1);
    const std::string strFile = sample.filename().string();

    // The first call: what the page chose, and the module hands a folder and storage back.
    g_seen = Seen{};
    g_seen.strFolderOut = u"\\\\EMB\\Flowers";
    g_seen.storageOut = 1;
    json r = session.Run(Call({{"export", "WriteSendDialog"}, {"file", strFile}, {"name", "Rose .QEF"}, {"folder", "\\\\EMB"},
                               {"storage", 2}, {"selectAfterSendEnable", false}, {"selectAfterSend", 0}, {"target", 1}, {"deepFolders", true}}));
    EXPECT_EQ(g_seen.strExport, "WriteSendDialog");
    EXPECT_EQ(g_seen.bytes, fixture::ReadWholeFile(sample.string()));
    EXPECT_EQ(g_seen.strName, "Rose .QEF");
    EXPECT_EQ(g_seen.selectAfterSendEnable, 0);
    EXPECT_EQ(g_seen.strFolderIn, "\\\\EMB");
    EXPECT_EQ(g_seen.folderBytes, 520u);
    EXPECT_EQ(g_seen.storageIn, 2);
    EXPECT_EQ(g_seen.selectAfterSendIn, 0);
    EXPECT_EQ(g_seen.target, 1);
    EXPECT_EQ(g_seen.deep, 1);
    EXPECT_EQ(g_seen.parent, 0u);
    EXPECT_EQ(r["result"], IDOK);
    EXPECT_EQ(r["name"], "IDOK");
    EXPECT_EQ(r["file"], strFile);
    EXPECT_EQ(r["folder"], "\\\\EMB\\Flowers");
    EXPECT_EQ(r["storage"], 1);
    EXPECT_EQ(r["selectAfterSend"], 0);
    EXPECT_EQ(session.Kept()["WriteSendDialog"], (json{{"folder", "\\\\EMB\\Flowers"}, {"storage", 1}, {"selectAfterSend", 0}}));

    // The next call gives none of them: the host hands in what it kept; the name is the file's.
    g_seen.strFolderOut.clear();
    g_seen.result = IDCANCEL;
    r = session.Run(Call({{"export", "WriteSendDialog"}, {"file", strFile}}));
    EXPECT_EQ(g_seen.strFolderIn, "\\\\EMB\\Flowers");
    EXPECT_EQ(g_seen.storageIn, 1);
    EXPECT_EQ(g_seen.selectAfterSendIn, 0);
    EXPECT_EQ(g_seen.strName, strFile);
    EXPECT_EQ(g_seen.selectAfterSendEnable, 1);
    EXPECT_EQ(g_seen.target, 2);
    EXPECT_EQ(r["result"], IDCANCEL);
    EXPECT_EQ(r["folder"], "\\\\EMB\\Flowers");

    // STX patterns keep their own folder: the design folder is not handed to them.
    session.Run(Call({{"export", "WriteSendStxDialog"}, {"file", SampleStxPatterns().at(0).filename().string()}}));
    EXPECT_EQ(g_seen.strExport, "WriteSendStxDialog");
    EXPECT_EQ(g_seen.strFolderIn, "");
    EXPECT_EQ(g_seen.storageIn, 0);
    EXPECT_EQ(g_seen.bytes, fixture::ReadWholeFile(SampleStxPatterns().at(0).string()));
}

TEST(HostSession, WriteADesignSendsUploadedBytesAndRefusesUnknownSamples)
{
    CModuleExports exports;
    exports.m_pfnWriteSendDialog = FakeWriteSend;
    CHostSession session(exports, false);
    g_seen = Seen{};

    json r = session.Run(Call({{"export", "WriteSendDialog"}, {"file", "Mine.qpx"}, {"upload", "AQID/w=="}}));
    EXPECT_EQ(g_seen.bytes, (std::vector<uint8_t>{1, 2, 3, 255}));
    EXPECT_EQ(g_seen.strName, "Mine.qpx");
    EXPECT_EQ(r["file"], "Mine.qpx");
    EXPECT_FALSE(r.contains("converted")) << "a native design goes as it is";

    // Only the offered samples can be named: no path reaches the file system.
    g_seen.strExport.clear();
    r = session.Run(Call({{"export", "WriteSendDialog"}, {"file", "../../../etc/passwd"}}));
    EXPECT_TRUE(r.contains("error"));
    EXPECT_EQ(g_seen.strExport, "");
    r = session.Run(Call({{"export", "WriteSendDialog"}}));
    EXPECT_TRUE(r.contains("error"));
    EXPECT_EQ(g_seen.strExport, "");
}

namespace {

std::string Base64(const std::vector<uint8_t>& bytes)
{
    static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                     (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        for (size_t k = 0; k < 4; ++k)
            s += k <= bytes.size() - i ? kAlphabet[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return s;
}

} // namespace

TEST(HostSession, WriteADesignConvertsADstDesignOrSaysWhyNot)
{
    using namespace fixture;
    CModuleExports exports;
    exports.m_pfnWriteSendDialog = FakeWriteSend;
    exports.m_pfnWriteSendStxDialog = FakeWriteSendStx;
    CHostSession session(exports, false);
    const Bytes dst = MakeDst({JumpBy(-30, 0), Sew(100, 0), Sew(0, 80), ChangeColor(), Sew(-50, 0), Sew(0, -20), EndDesign()});
    Bytes qef;
    std::string why;
    ASSERT_TRUE(ConvertDstToNative(dst, CEmbFile::dftQef, qef, why)) << why;

    // An uploaded DST design reaches the module as the converter's QEF design (whose fidelity is
    // ConvertCommandTest.cpp's), named .qef.
    g_seen = Seen{};
    json r = session.Run(Call({{"export", "WriteSendDialog"}, {"file", "Tulip.DST"}, {"upload", Base64(dst)}}));
    EXPECT_EQ(g_seen.strExport, "WriteSendDialog");
    EXPECT_EQ(g_seen.strName, "Tulip.qef");
    EXPECT_EQ(g_seen.bytes, qef);
    EXPECT_EQ(r["result"], IDOK);
    EXPECT_EQ(r["proposedName"], "Tulip.qef");
    EXPECT_EQ(r["converted"]["from"], "Tulip.DST");
    EXPECT_EQ(r["converted"]["to"], "Tulip.qef");
    EXPECT_EQ(r["converted"]["design"], "11 stitch words in 2 colours, 7.0 x 8.0 mm") << r.dump();

    // The name the person typed keeps its stem.
    r = session.Run(Call({{"export", "WriteSendDialog"}, {"file", "a.dst"}, {"name", "Rose.dst"}, {"upload", Base64(dst)}}));
    EXPECT_EQ(g_seen.strName, "Rose.qef");

    // Beyond the machine's limits, or not a DST design at all: the module is not called, and the
    // page is told why.
    g_seen = Seen{};
    const Bytes wide = MakeDst({Sew(3000, 0), EndDesign()});
    r = session.Run(Call({{"export", "WriteSendDialog"}, {"file", "Wide.dst"}, {"upload", Base64(wide)}}));
    EXPECT_EQ(g_seen.strExport, "");
    EXPECT_FALSE(r.contains("result"));
    EXPECT_NE(r["refused"].get<std::string>().find("the editing area reaches"), std::string::npos) << r.dump();
    EXPECT_EQ(r["error"].get<std::string>().rfind("Wide.dst cannot go to the machine: it reaches ", 0), 0u) << r.dump();
    EXPECT_NE(r["error"].get<std::string>().find("300.0 mm right"), std::string::npos) << r.dump();
    r = session.Run(Call({{"export", "WriteSendDialog"}, {"file", "Mine.dst"}, {"upload", "AQID/w=="}}));
    EXPECT_EQ(g_seen.strExport, "");
    EXPECT_EQ(r["refused"], "it is too short for a DST design");
}
