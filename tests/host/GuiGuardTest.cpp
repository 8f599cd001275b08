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

// tavren gui --port 0 in the background, until the test ends.
struct RunningGui {
    RunningGui()
    {
        const std::string command = "sh -c 'echo $$; exec \"$0\" gui --port 0 2>&1' '" + tavren::test::TavrenBinary().string() + "'";
        m_pipe = popen(command.c_str(), "r");
        char line[512];
        if (m_pipe && fgets(line, sizeof line, m_pipe))
            m_pid = std::atoi(line);
        const std::regex printed(R"(Tavren is at (http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+)))");
        std::smatch m;
        while (m_pid > 0 && fgets(line, sizeof line, m_pipe) && !std::regex_search(strOutput += line, m, printed)) {
        }
        if (!m.empty()) {
            strAddress = m[1];
            nPort = std::stoi(m[2]);
            strToken = m[3];
        }
    }
    ~RunningGui()
    {
        if (m_pid > 0)
            kill(m_pid, SIGTERM);
        if (m_pipe)
            pclose(m_pipe);
    }

    std::string strAddress, strToken, strOutput;
    int nPort = 0;
    pid_t m_pid = 0;
    FILE* m_pipe = nullptr;
};

struct Ask {
    const char* what;
    const char* method;
    const char* path;
    httplib::Headers headers;
    std::string body;
    const char* type;
    int status;
};

} // namespace

TEST(GuiGuard, OnlyThePrintedAddressDrivesThePage)
{
    RunningGui gui;
    ASSERT_FALSE(gui.strToken.empty()) << gui.strOutput;
    EXPECT_GE(gui.strToken.size(), 32u) << "at least 128 bits";
    const std::string self = "http://127.0.0.1:" + std::to_string(gui.nPort);
    httplib::Client client("127.0.0.1", gui.nPort);
    const httplib::Headers withToken{{"X-Tavren-Token", gui.strToken}};
    auto state = [&] {
        auto r = client.Get("/api/state", withToken);
        return r && r->status == 200 ? json::parse(r->body, nullptr, false) : json();
    };
    const json before = state();
    ASSERT_TRUE(before.is_object());
    ASSERT_TRUE(before["machine"].value("running", false)) << before["machine"].dump();

    const std::string toJapanese = R"({"export":"ChangeLanguage","language":1041})";
    const std::string pullCable = R"({"words":["cable","pull"]})";
    const Ask refused[] = {
        {"no token", "GET", "/api/state", {}, "", "", 403},
        {"a wrong token", "GET", "/api/state", {{"X-Tavren-Token", std::string(gui.strToken.size(), '0')}}, "", "", 403},
        {"a wrong cookie", "GET", "/api/state", {{"Cookie", "tavren-" + std::to_string(gui.nPort) + "=x"}}, "", "", 403},
        {"a picture without the token", "GET", "/pic/icon/1.png", {}, "", "", 403},
        {"a rebinding host name", "GET", "/api/state",
         {{"X-Tavren-Token", gui.strToken}, {"Host", "evil.example:" + std::to_string(gui.nPort)}}, "", "", 421},
        {"another port's name", "GET", "/index.html", {{"Host", "127.0.0.1:1"}}, "", "", 421},
        {"a call without the token", "POST", "/api/call", {{"Origin", self}}, toJapanese, "application/json", 403},
        {"a cross-site call", "POST", "/api/call", {{"X-Tavren-Token", gui.strToken}, {"Origin", "http://evil.example"}},
         toJapanese, "application/json", 403},
        {"a text post", "POST", "/api/call", {{"X-Tavren-Token", gui.strToken}}, toJapanese, "text/plain", 415},
        {"a form post", "POST", "/api/machine", {{"X-Tavren-Token", gui.strToken}}, "words=cable&words=pull",
         "application/x-www-form-urlencoded", 415},
        {"a cross-site machine order", "POST", "/api/machine", {{"Origin", "null"}}, pullCable, "application/json", 403},
        {"a token from another run", "GET", "/?token=0123456789abcdef0123456789abcdef", {}, "", "", 403},
    };
    for (const Ask& a : refused) {
        auto r = std::string(a.method) == "GET" ? client.Get(a.path, a.headers)
                                                : client.Post(a.path, a.headers, a.body, a.type);
        ASSERT_TRUE(r) << a.what;
        EXPECT_EQ(r->status, a.status) << a.what;
        EXPECT_FALSE(r->has_header("Set-Cookie")) << a.what;
        EXPECT_EQ(r->get_header_value("X-Content-Type-Options"), "nosniff") << a.what << ": a refusal is kept to itself too";
    }
    const json after = state();
    EXPECT_EQ(after["language"], before["language"]) << "nothing refused changed the language";
    EXPECT_EQ(after["machine"], before["machine"]) << "nothing refused reached the machine";

    // An upload beyond the limit is refused, saying why.
    auto big = client.Post("/api/call", withToken, std::string((32u << 20) + 1, ' '), "application/json");
    ASSERT_TRUE(big && big->status == 413);
    EXPECT_NE(big->body.find("larger than"), std::string::npos) << big->body;

    // The page's own files load without the token and keep to themselves.
    auto page = client.Get("/index.html");
    ASSERT_TRUE(page && page->status == 200);
    const std::string csp = page->get_header_value("Content-Security-Policy");
    EXPECT_NE(csp.find("script-src 'self'"), std::string::npos) << csp;
    EXPECT_NE(csp.find("default-src 'none'"), std::string::npos) << csp;
    EXPECT_EQ(page->get_header_value("Referrer-Policy"), "no-referrer");
    EXPECT_EQ(page->get_header_value("X-Content-Type-Options"), "nosniff");

    // The printed address leaves the token in a cookie of this port's and sends the browser to the
    // bare address (the page working with that cookie is every browser journey's first step).
    auto open = client.Get(gui.strAddress.substr(self.size()));
    ASSERT_TRUE(open && open->status == 303);
    EXPECT_EQ(open->get_header_value("Location"), "/");
    const std::string cookie = open->get_header_value("Set-Cookie");
    EXPECT_EQ(cookie.rfind("tavren-" + std::to_string(gui.nPort) + "=" + gui.strToken + ";", 0), 0u) << cookie;
    for (const char* attr : {"HttpOnly", "SameSite=Strict", "Path=/"})
        EXPECT_NE(cookie.find(attr), std::string::npos) << cookie;
    auto pulled = client.Post("/api/machine", withToken, pullCable, "application/json");
    ASSERT_TRUE(pulled && pulled->status == 200);
    EXPECT_NE(state()["machine"], before["machine"]) << "a script with the token drives the machine";
}
