// tavren gui answers only the page at the address it printed: a running server, asked as another
// web page, another program or a rebinding host name would ask, refuses and changes nothing.
#include "tests/host/TavrenProcess.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdio>
#include <regex>

using nlohmann::json;

namespace {

// tavren gui --port 0 in the background, until the test ends: its printed address, port and token.
struct RunningGui {
    RunningGui() : m_pipe(popen(("sh -c 'echo $$; exec \"$0\" gui --port 0 2>&1' '" + tavren::test::TavrenBinary().string() + "'").c_str(), "r"))
    {
        char line[512];
        m_pid = m_pipe && fgets(line, sizeof line, m_pipe) ? std::atoi(line) : 0;
        const std::regex printed(R"(Tavren is at (http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+)))");
        std::smatch m;
        while (m_pid > 0 && fgets(line, sizeof line, m_pipe) && !std::regex_search(strOutput += line, m, printed)) {
        }
        if (!m.empty())
            std::tie(strAddress, nPort, strToken) = std::tuple(m[1], std::stoi(m[2]), m[3]);
    }
    ~RunningGui()
    {
        if (m_pid > 0)
            kill(m_pid, SIGTERM);
        if (m_pipe)
            pclose(m_pipe);
    }

    FILE* m_pipe = nullptr;
    pid_t m_pid = 0;
    std::string strAddress, strToken, strOutput;
    int nPort = 0;
};

// One request and what must come back: its status, and for each header (or "body") a text it holds
// ("=text": the whole value; an empty text: no such header at all).
struct Ask {
    const char* what;
    const char* method;
    std::string path;
    httplib::Headers headers;
    std::string body;
    const char* type;
    int status;
    std::vector<std::pair<std::string, std::string>> holds = {{"Set-Cookie", ""}, {"X-Content-Type-Options", "=nosniff"}};
};

void Check(httplib::Client& client, const Ask& a)
{
    auto r = std::string(a.method) == "GET" ? client.Get(a.path, a.headers) : client.Post(a.path, a.headers, a.body, a.type);
    ASSERT_TRUE(r) << a.what;
    EXPECT_EQ(r->status, a.status) << a.what;
    for (const auto& [name, text] : a.holds) {
        const std::string value = name == "body" ? r->body : r->get_header_value(name);
        const bool bWhole = !text.empty() && text[0] == '=';
        EXPECT_TRUE(text.empty() ? !r->has_header(name) : bWhole ? value == text.substr(1) : value.find(text) != std::string::npos)
            << a.what << ": " << name << ": " << value;
    }
}

} // namespace

TEST(GuiGuard, OnlyThePrintedAddressDrivesThePage)
{
    RunningGui gui;
    ASSERT_FALSE(gui.strToken.empty()) << gui.strOutput;
    EXPECT_GE(gui.strToken.size(), 32u) << "at least 128 bits";
    const std::string self = "http://127.0.0.1:" + std::to_string(gui.nPort), cookie = "tavren-" + std::to_string(gui.nPort) + "=";
    httplib::Client client("127.0.0.1", gui.nPort);
    const httplib::Headers withToken{{"X-Tavren-Token", gui.strToken}};
    auto state = [&] {
        auto r = client.Get("/api/state", withToken);
        return r && r->status == 200 ? json::parse(r->body, nullptr, false) : json();
    };
    const json before = state();
    ASSERT_TRUE(before.is_object());
    ASSERT_TRUE(before["machine"].value("running", false)) << before["machine"].dump();

    // Refused, each keeping the refusal to itself (no cookie, no sniffing), and changing nothing.
    const std::string toJapanese = R"({"export":"ChangeLanguage","language":1041})";
    const std::string pullCable = R"({"words":["cable","pull"]})";
    const Ask refused[] = {
        {"no token", "GET", "/api/state", {}, "", "", 403},
        {"a wrong token", "GET", "/api/state", {{"X-Tavren-Token", std::string(gui.strToken.size(), '0')}}, "", "", 403},
        {"a wrong cookie", "GET", "/api/state", {{"Cookie", cookie + "x"}}, "", "", 403},
        {"a picture without the token", "GET", "/pic/icon/1.png", {}, "", "", 403},
        {"a rebinding host name", "GET", "/api/state", {{"X-Tavren-Token", gui.strToken}, {"Host", "evil.example:" + std::to_string(gui.nPort)}},
         "", "", 421},
        {"another port's name", "GET", "/index.html", {{"Host", "127.0.0.1:1"}}, "", "", 421},
        {"a call without the token", "POST", "/api/call", {{"Origin", self}}, toJapanese, "application/json", 403},
        {"a cross-site call", "POST", "/api/call", {{"X-Tavren-Token", gui.strToken}, {"Origin", "http://evil.example"}}, toJapanese,
         "application/json", 403},
        {"a text post", "POST", "/api/call", withToken, toJapanese, "text/plain", 415},
        {"a form post", "POST", "/api/machine", withToken, "words=cable&words=pull", "application/x-www-form-urlencoded", 415},
        {"a cross-site machine order", "POST", "/api/machine", {{"Origin", "null"}}, pullCable, "application/json", 403},
        {"a token from another run", "GET", "/?token=0123456789abcdef0123456789abcdef", {}, "", "", 403},
        {"an upload beyond the limit", "POST", "/api/call", withToken, std::string((32u << 20) + 1, ' '), "application/json", 413,
         {{"body", "larger than"}}},
    };
    for (const Ask& a : refused)
        Check(client, a);
    const json after = state();
    EXPECT_EQ((json{after["language"], after["machine"]}), (json{before["language"], before["machine"]}))
        << "nothing refused changed the language or reached the machine";

    // The page's own files load without the token and keep to themselves; the printed address
    // leaves the token in a cookie of this port's and sends the browser to the bare address (the
    // page working with that cookie is every browser journey's first step).
    const Ask allowed[] = {
        {"the page", "GET", "/index.html", {}, "", "", 200,
         {{"Content-Security-Policy", "script-src 'self'"}, {"Content-Security-Policy", "default-src 'none'"},
          {"Referrer-Policy", "=no-referrer"}, {"X-Content-Type-Options", "=nosniff"}}},
        {"the printed address", "GET", gui.strAddress.substr(self.size()), {}, "", "", 303,
         {{"Location", "=/"}, {"Set-Cookie", cookie + gui.strToken + ";"}, {"Set-Cookie", "HttpOnly"}, {"Set-Cookie", "SameSite=Strict"},
          {"Set-Cookie", "Path=/"}}},
        {"a script with the token", "POST", "/api/machine", withToken, pullCable, "application/json", 200, {}},
    };
    for (const Ask& a : allowed)
        Check(client, a);
    EXPECT_NE(state()["machine"], before["machine"]) << "a script with the token drives the machine";
}
