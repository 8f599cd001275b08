#include "host/gui/GuiRoutes.h"

#include "host/gui/GuiActions.h"
#include "host/gui/GuiGuard.h"
#include "host/gui/GuiLiveState.h"
#include "host/gui/GuiMachine.h"
#include "host/gui/GuiSnapshotJson.h"
#include "host/gui/HostSession.h"
#include "host/gui/ImageListPngCache.h"
#include "host/gui/PcDriveSwitch.h"
#include "host/gui/PngBuffer.h"
#include "host/gui/UiCallJson.h"
#include "host/gui/UiCallQueue.h"
#include "platform/gdi/Gdi.h"
#include "platform/seam/Automation.h"
#include "platform/user/Icon.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

json ParseBody(const httplib::Request& req)
{
    json j = json::parse(req.body, nullptr, false);
    return j.is_object() ? j : json::object();
}

void SendJson(httplib::Response& res, const json& j, int nStatus = 200)
{
    res.status = nStatus;
    res.set_header("Cache-Control", "no-store");
    res.set_content(j.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

void SendPng(httplib::Response& res, const std::vector<uint8_t>& png)
{
    if (png.empty()) {
        res.status = 404;
        return;
    }
    // The URL carries a version (resource id, content hash or change counter), so a picture never goes stale.
    res.set_header("Cache-Control", "max-age=3600");
    res.set_content(reinterpret_cast<const char*>(png.data()), png.size(), "image/png");
}

std::string ReadText(const fs::path& p, bool& bFound)
{
    std::ifstream in(p, std::ios::binary);
    bFound = static_cast<bool>(in);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

CGuiRoutes::CGuiRoutes(fs::path web, CHostSession& session, CUiCallQueue& calls, CGuiMachine& machine,
                       CPcDriveSwitch& drives, CImageListPngCache& pictures)
    : m_web(std::move(web)), m_session(session), m_calls(calls), m_machine(machine), m_drives(drives), m_pictures(pictures)
{
    m_live = std::make_unique<CGuiLiveState>([this] { return State(); },
                                             [this] {
                                                 uint64_t n = tavren::MessagesHandled();
                                                 std::lock_guard lock(m_listsMutex);
                                                 for (HIMAGELIST h : m_lists)
                                                     if (tavren::ImageListState s; tavren::GetImageListState(h, s))
                                                         n += s.nSerial + s.nChanges;
                                                 return n;
                                             });
}

CGuiRoutes::~CGuiRoutes() { Stop(); }

void CGuiRoutes::Stop() { m_live->Stop(); }

json CGuiRoutes::State()
{
    json j = m_calls.State();
    j["exports"] = m_session.Offers();
    j["language"] = m_session.Language();
    j["canChangeLanguage"] = m_session.CanChangeLanguage();
    j["kept"] = m_session.Kept();
    j["machine"] = m_machine.Show();
    j["pc"] = m_drives.State();
    // A page shows a list's items in view; a page above and below is there for the next scroll.
    tavren::Snapshot snapshot = tavren::TakeSnapshot(2000, 1);
    m_pictures.Keep(snapshot.imageLists);
    {
        std::lock_guard lock(m_listsMutex);
        m_lists.clear();
        for (const auto& [h, s] : snapshot.imageLists)
            m_lists.push_back(h);
    }
    j["snapshot"] = SnapshotToJson(snapshot);
    return j;
}

void CGuiRoutes::Install(httplib::Server& server)
{
    server.set_payload_max_length(kMaxUpload);
    m_live->Start();
    server.Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/index.html"); });
    server.Get(kPageFilePattern, [this](const httplib::Request& req, httplib::Response& res) {
        bool bFound = false;
        std::string strBody = ReadText(m_web / req.matches[1].str(), bFound);
        if (!bFound) {
            res.status = 404;
            return;
        }
        std::string ext = req.matches[2];
        const char* type = ext == "html" ? "text/html; charset=utf-8"
                           : ext == "js"  ? "text/javascript; charset=utf-8"
                           : ext == "css" ? "text/css; charset=utf-8"
                                          : "image/svg+xml";
        res.set_header("Cache-Control", "no-cache");
        res.set_content(strBody, type);
    });
    // Without "since" the state at once; with it, what changed since that version, once it has
    // (or after "wait" ms, at most 30 s, with nothing).
    server.Get("/api/state", [this](const httplib::Request& req, httplib::Response& res) {
        // Without "since" (a script's look): the state itself; the page follows versions.
        if (!req.has_param("since"))
            return SendJson(res, m_live->Now()["state"]);
        uint64_t nSince = std::strtoull(req.get_param_value("since").c_str(), nullptr, 10);
        int nWait = req.has_param("wait") ? std::atoi(req.get_param_value("wait").c_str()) : 25000;
        SendJson(res, m_live->Since(nSince, std::clamp(nWait, 0, 30000)));
    });
    server.Post("/api/call", [this](const httplib::Request& req, httplib::Response& res) {
        std::string strWhy;
        std::optional<UiCall> parsed = ParseUiCall(ParseBody(req), strWhy);
        if (!parsed)
            return SendJson(res, {{"ok", false}, {"error", strWhy}}, 400);
        UiCall& call = *parsed;
        if (!m_session.Offered(call.strExport))
            return SendJson(res, {{"ok", false}, {"error", "the module has no export \"" + call.strExport + "\""}}, 404);
        if (!m_calls.Post(call, strWhy))
            return SendJson(res, {{"ok", false}, {"error", strWhy}}, 409);
        // The language switch shows nothing: answer when it is done, so the page sees the result.
        if (call.strExport == "ChangeLanguage")
            m_calls.WaitDone(5000);
        m_live->Poke();
        SendJson(res, {{"ok", true}});
    });
    server.Post("/api/act", [this](const httplib::Request& req, httplib::Response& res) {
        json r = PerformAction(ParseBody(req));
        m_live->Poke();
        SendJson(res, r, r["ok"] ? 200 : 409);
    });
    server.Post("/api/machine", [this](const httplib::Request& req, httplib::Response& res) {
        json body = ParseBody(req);
        std::vector<std::string> words;
        if (body.contains("words") && body["words"].is_array())
            for (const json& w : body["words"])
                if (w.is_string())
                    words.push_back(w);
        json r = m_machine.Control(words);
        m_machine.Forget();
        m_live->Poke();
        SendJson(res, r, r.contains("error") ? 409 : 200);
    });
    server.Post("/api/pc-drive", [this](const httplib::Request& req, httplib::Response& res) {
        std::string strWhy;
        bool bOk = m_drives.Set(ParseBody(req).value("plugged", true), strWhy);
        m_live->Poke();
        SendJson(res, {{"ok", bOk}, {"error", strWhy}}, bOk ? 200 : 409);
    });
    server.Get(R"(/pic/il/(\d+)/(\d+)\.png)", [this](const httplib::Request& req, httplib::Response& res) {
        auto h = static_cast<HIMAGELIST>(std::stoul(req.matches[1]));
        SendPng(res, m_pictures.Png(h, std::stoi(req.matches[2])));
    });
    server.Get(R"(/pic/icon/(\d+)\.png)", [](const httplib::Request& req, httplib::Response& res) {
        int cx = 0, cy = 0;
        std::vector<uint8_t> bgra;
        if (!tavren::GetIconPicture(static_cast<HICON>(std::stoul(req.matches[1])), &cx, &cy, &bgra))
            return void(res.status = 404);
        SendPng(res, EncodePngBgra(cx, cy, bgra));
    });
    server.Get(R"(/pic/bmp/(\d+)\.png)", [](const httplib::Request& req, httplib::Response& res) {
        int cx = 0, cy = 0;
        std::vector<uint8_t> bgr;
        if (!tavren::GetBitmapPixels(static_cast<HBITMAP>(std::stoul(req.matches[1])), cx, cy, bgr))
            return void(res.status = 404);
        SendPng(res, EncodePngBgr(cx, cy, bgr));
    });
}
