// Who may drive tavren gui: the person who started it, through the page at the address it printed.
//
// The server listens on loopback, but that alone lets any web page in the same browser post to it
// and any local program read it. So each run makes a secret token; the printed address carries it,
// opening that address leaves it in a cookie, and every request that reads state or acts must bring
// it back (the cookie, or an X-Tavren-Token header for scripts). Requests naming another host (a
// DNS-rebinding page) and cross-site or non-JSON posts are refused before anything is read.
#pragma once

#include <cstddef>
#include <string>

namespace httplib {
class Server;
}

// A design from the person's disk comes in a call, base64: room for any design a machine takes.
inline constexpr std::size_t kMaxUpload = 32u << 20;

// The page's own files, served from its folder; they hold nothing of the person's.
inline constexpr const char* kPageFilePattern = R"(/([A-Za-z0-9_-]+\.(html|js|css|svg)))";

class CGuiGuard {
public:
    // 256 bits from the system's random source, as hex.
    CGuiGuard();

    // Installs the checks and the headers that keep the page to itself; before the routes run.
    void Install(httplib::Server& server);
    // The port is known only once bound; requests are refused until it is set.
    void SetPort(int nPort);

    const std::string& Token() const { return m_strToken; }
    // The address to open, with the token.
    std::string Address() const;

private:
    std::string m_strToken;
    int m_nPort = 0;
};
