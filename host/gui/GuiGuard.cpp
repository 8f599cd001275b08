#include "host/gui/GuiGuard.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <regex>
#include <stdexcept>
#include <sys/random.h>

namespace {

std::string RandomHex(size_t nBytes)
{
    std::string bytes(nBytes, '\0');
    size_t nGot = 0;
    while (nGot < nBytes) {
        ssize_t n = getrandom(bytes.data() + nGot, nBytes - nGot, 0);
        if (n < 0 && errno != EINTR)
            throw std::runtime_error("the system gives no random bytes");
        if (n > 0)
            nGot += static_cast<size_t>(n);
    }
    std::string hex;
    char two[3];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof two, "%02x", c);
        hex += two;
    }
    return hex;
}

// The same time whatever the guess, so the token cannot be found a character at a time.
bool SameSecret(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// The value of one cookie of a Cookie header, or "".
std::string CookieValue(const std::string& strHeader, const std::string& strName)
{
    size_t pos = 0;
    while (pos <= strHeader.size()) {
        size_t end = strHeader.find(';', pos);
        std::string part = Trim(strHeader.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        size_t eq = part.find('=');
        if (eq != std::string::npos && part.substr(0, eq) == strName)
            return part.substr(eq + 1);
        if (end == std::string::npos)
            break;
        pos = end + 1;
    }
    return {};
}

void Refuse(httplib::Response& res, int nStatus, const std::string& strWhy)
{
    res.status = nStatus;
    res.set_content(strWhy + "\n", "text/plain; charset=utf-8");
}

// The page itself ("/" and its files) loads without the token.
bool IsPageFile(const httplib::Request& req)
{
    static const std::regex file(kPageFilePattern);
    return (req.method == "GET" || req.method == "HEAD") && (req.path == "/" || std::regex_match(req.path, file));
}

} // namespace

CGuiGuard::CGuiGuard() : m_strToken(RandomHex(32)) {}

void CGuiGuard::SetPort(int nPort) { m_nPort = nPort; }

std::string CGuiGuard::Address() const
{
    return "http://127.0.0.1:" + std::to_string(m_nPort) + "/?token=" + m_strToken;
}

void CGuiGuard::Install(httplib::Server& server)
{
    // Scripts, styles and pictures from this server only; no frames, no plug-ins, no forms posted
    // elsewhere; and no Referer, so the token in the first address never leaves with a link.
    server.set_default_headers({
        {"Content-Security-Policy", "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
                                    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"X-Frame-Options", "DENY"},
    });
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        using R = httplib::Server::HandlerResponse;
        const std::string strPort = std::to_string(m_nPort);
        const std::string strHost = Lower(req.get_header_value("Host"));
        if (m_nPort <= 0 || (strHost != "127.0.0.1:" + strPort && strHost != "localhost:" + strPort)) {
            Refuse(res, 421, "This server answers only at http://127.0.0.1:" + strPort + "/.");
            return R::Handled;
        }
        // Cookies are shared by every port of a host: the name carries the port, so two runs side by
        // side keep their own.
        const std::string strCookie = "tavren-" + strPort;
        if (req.path == "/" && req.has_param("token")) {
            if (!SameSecret(req.get_param_value("token"), m_strToken)) {
                Refuse(res, 403, "This address is from another run of tavren gui: open the address it printed last.");
                return R::Handled;
            }
            res.set_header("Set-Cookie", strCookie + "=" + m_strToken + "; Path=/; HttpOnly; SameSite=Strict");
            res.set_redirect("/", 303);
            return R::Handled;
        }
        if (IsPageFile(req))
            return R::Unhandled;
        std::string strGiven = req.get_header_value("X-Tavren-Token");
        if (strGiven.empty())
            strGiven = CookieValue(req.get_header_value("Cookie"), strCookie);
        if (!SameSecret(strGiven, m_strToken)) {
            Refuse(res, 403, "Open the whole address tavren gui printed, with its token, to use this page.");
            return R::Handled;
        }
        if (req.method != "GET" && req.method != "HEAD") {
            if (req.has_header("Origin")) {
                std::string strOrigin = Lower(req.get_header_value("Origin"));
                if (strOrigin != "http://127.0.0.1:" + strPort && strOrigin != "http://localhost:" + strPort) {
                    Refuse(res, 403, "A page from elsewhere may not act here.");
                    return R::Handled;
                }
            }
            // A browser sends a form or a text post to any site without asking; a JSON post it does
            // not, so asking for JSON keeps other sites out even without an Origin.
            std::string strType = req.get_header_value("Content-Type");
            strType = Lower(Trim(strType.substr(0, strType.find(';'))));
            if (strType != "application/json") {
                Refuse(res, 415, "The body must be application/json.");
                return R::Handled;
            }
        }
        return R::Unhandled;
    });
    // httplib answers an over-long body with a bare 413 and never reads it: say why.
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.status == 413 && res.body.empty())
            res.set_content("The upload is larger than tavren gui takes (" + std::to_string(kMaxUpload >> 20) + " MB).\n",
                            "text/plain; charset=utf-8");
    });
}
