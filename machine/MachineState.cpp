#include "machine/MachineState.h"

#include <cstdlib>
#include <sstream>

namespace quorvel {

const char* const CMachineState::kUsage =
    "commands (the same for `ctl` and, as --WORD VALUE, at start):\n"
    "  show                                  print the machine's state\n"
    "  cable pull | plug                     pull or plug in the USB cable\n"
    "  supported yes | no                    'no': GetConnectedDevice answers status 2\n"
    "  status ITEM=VALUE [ITEM=VALUE ...]    GetStatus bytes (item 0 mode: 2 embroidery;\n"
    "                                        items 3 and 4: 0 idle)\n"
    "  usb1 | usb2 present | absent          flash drive in storage 2 or 3 (0x800F when absent)\n"
    "  capacity STORAGE BYTES | none         room on storage 1..3 (0x8010 when a file does not fit)\n"
    "  fault OP CODE | pull | delay MS [--count N]\n"
    "                                        the next N calls (default 1) of OP answer CODE,\n"
    "                                        pull the cable midway, or answer after MS ms\n"
    "  fault clear [OP]                      disarm faults\n"
    "  listing count-past-end | zero-length | oversized-length | negative-count | none\n"
    "                                        break the next listing that UploadList returns\n"
    "operations: GetConnectedDevice GetMachineType GetStatus SetStatus UploadList DownloadFile\n"
    "  UploadFile EraseFile DeleteFolder SelectFile RenameFile RenameFolder CreateFolder UploadDesign\n";

CMachineState::CMachineState()
{
    m_status[0] = 2; // embroidery mode
    m_bDrivePresent = {false, true, true, true};
    m_nCapacity = {-1, -1, -1, -1};
}

namespace {

bool ParseNumber(const std::string& s, int64_t lo, int64_t hi, int64_t* out)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 0); // 0x8010 and 100000 alike
    if (*end || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool Fail(std::string* error, std::string text)
{
    *error = std::move(text);
    return false;
}

const char* ListingName(ListingFault f)
{
    switch (f) {
    case ListingFault::CountPastEnd: return "count-past-end";
    case ListingFault::ZeroLength: return "zero-length";
    case ListingFault::OversizedLength: return "oversized-length";
    case ListingFault::NegativeCount: return "negative-count";
    default: return "none";
    }
}

} // namespace

bool CMachineState::Apply(const std::vector<std::string>& w, std::string* error)
{
    if (w.empty())
        return Fail(error, "no command");
    const std::string& cmd = w[0];
    size_t n = w.size();
    if (cmd == "show" && n == 1)
        return true;
    if (cmd == "cable" && n == 2) {
        if (w[1] == "pull" || w[1] == "pulled") {
            m_bPlugged = false;
            return true;
        }
        if (w[1] == "plug" || w[1] == "plugged") {
            if (!m_bPlugged) {
                m_bPlugged = true;
                ++m_nGeneration; // handles from before the pull stay dead
            }
            return true;
        }
        return Fail(error, "cable: pull or plug");
    }
    if (cmd == "supported" && n == 2) {
        if (w[1] != "yes" && w[1] != "no")
            return Fail(error, "supported: yes or no");
        m_bSupported = w[1] == "yes";
        return true;
    }
    if (cmd == "status" && n >= 2) {
        std::vector<std::pair<int64_t, int64_t>> items;
        for (size_t i = 1; i < n; ++i) {
            size_t eq = w[i].find('=');
            int64_t item = 0, value = 0;
            if (eq == std::string::npos || !ParseNumber(w[i].substr(0, eq), 0, 255, &item) ||
                !ParseNumber(w[i].substr(eq + 1), 0, 255, &value))
                return Fail(error, "status: ITEM=VALUE, both 0..255");
            items.emplace_back(item, value);
        }
        for (auto [item, value] : items)
            m_status[static_cast<size_t>(item)] = static_cast<uint8_t>(value);
        return true;
    }
    if ((cmd == "usb1" || cmd == "usb2") && n == 2) {
        if (w[1] != "present" && w[1] != "absent")
            return Fail(error, cmd + ": present or absent");
        m_bDrivePresent[cmd == "usb1" ? 2 : 3] = w[1] == "present";
        return true;
    }
    if (cmd == "capacity" && n == 3) {
        int64_t storage = 0, bytes = -1;
        if (!ParseNumber(w[1], 1, 3, &storage))
            return Fail(error, "capacity: storage 1, 2 or 3");
        if (w[2] != "none" && !ParseNumber(w[2], 0, INT64_MAX, &bytes))
            return Fail(error, "capacity: a byte count or none");
        m_nCapacity[static_cast<size_t>(storage)] = bytes;
        return true;
    }
    if (cmd == "fault" && n >= 2) {
        if (w[1] == "clear") {
            Op op;
            if (n == 2)
                m_faults.clear();
            else if (n == 3 && OpFromName(w[2].c_str(), &op))
                m_faults.erase(op);
            else
                return Fail(error, "fault clear [OP]");
            return true;
        }
        Op op;
        if (!OpFromName(w[1].c_str(), &op) || op == Op::Subscribe || op == Op::Control)
            return Fail(error, "fault: unknown operation '" + w[1] + "'");
        if (n < 3)
            return Fail(error, "fault OP CODE | pull | delay MS [--count N]");
        CMachineFault f;
        size_t i = 2;
        int64_t v = 0;
        if (w[i] == "pull") {
            f.m_nKind = CMachineFault::PullCable;
            ++i;
        } else if (w[i] == "delay" || w[i].rfind("delay=", 0) == 0) {
            std::string ms = w[i] == "delay" ? (i + 1 < n ? w[i + 1] : "") : w[i].substr(6);
            i += w[i] == "delay" ? 2 : 1;
            if (!ParseNumber(ms, 0, 3600000, &v))
                return Fail(error, "fault: delay in ms, 0..3600000");
            f.m_nKind = CMachineFault::Delay;
            f.m_nDelayMs = static_cast<uint32_t>(v);
        } else if (ParseNumber(w[i], INT32_MIN, UINT32_MAX, &v) && v != 0) {
            f.m_nKind = CMachineFault::Code;
            f.m_nCode = static_cast<int32_t>(static_cast<uint32_t>(v));
            ++i;
        } else {
            return Fail(error, "fault: a non-zero result code, pull or delay MS");
        }
        f.m_nCount = 1;
        if (i + 2 == n && (w[i] == "--count" || w[i] == "count")) {
            if (!ParseNumber(w[i + 1], 1, 1000000, &v))
                return Fail(error, "fault: --count 1..1000000");
            f.m_nCount = static_cast<uint32_t>(v);
        } else if (i != n) {
            return Fail(error, "fault: unexpected '" + w[i] + "'");
        }
        m_faults[op] = f;
        return true;
    }
    if (cmd == "listing" && n == 2) {
        if (w[1] == "count-past-end")
            m_nListingFault = ListingFault::CountPastEnd;
        else if (w[1] == "zero-length")
            m_nListingFault = ListingFault::ZeroLength;
        else if (w[1] == "oversized-length")
            m_nListingFault = ListingFault::OversizedLength;
        else if (w[1] == "negative-count")
            m_nListingFault = ListingFault::NegativeCount;
        else if (w[1] == "none")
            m_nListingFault = ListingFault::None;
        else
            return Fail(error, "listing: count-past-end, zero-length, oversized-length, negative-count or none");
        return true;
    }
    return Fail(error, "unknown command '" + cmd + "' (see --help)");
}

CMachineFault CMachineState::TakeFault(Op op)
{
    auto it = m_faults.find(op);
    if (it == m_faults.end())
        return {};
    CMachineFault f = it->second;
    if (--it->second.m_nCount == 0)
        m_faults.erase(it);
    return f;
}

ListingFault CMachineState::TakeListingFault()
{
    ListingFault f = m_nListingFault;
    m_nListingFault = ListingFault::None;
    return f;
}

std::string CMachineState::Describe() const
{
    std::ostringstream s;
    s << "cable " << (m_bPlugged ? "plugged" : "pulled") << "\n";
    s << "supported " << (m_bSupported ? "yes" : "no") << "\n";
    s << "status 0=" << int(m_status[0]) << " 3=" << int(m_status[3]) << " 4=" << int(m_status[4]) << "\n";
    s << "usb1 " << (m_bDrivePresent[2] ? "present" : "absent") << "\n";
    s << "usb2 " << (m_bDrivePresent[3] ? "present" : "absent") << "\n";
    for (int i = 1; i <= 3; ++i) {
        s << "capacity " << i << " ";
        if (m_nCapacity[i] < 0)
            s << "none\n";
        else
            s << m_nCapacity[i] << "\n";
    }
    for (const auto& [op, f] : m_faults) {
        s << "fault " << OpName(op) << " ";
        if (f.m_nKind == CMachineFault::Code) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(f.m_nCode));
            s << hex;
        } else if (f.m_nKind == CMachineFault::PullCable) {
            s << "pull";
        } else {
            s << "delay " << f.m_nDelayMs;
        }
        s << " --count " << f.m_nCount << "\n";
    }
    s << "listing " << ListingName(m_nListingFault) << "\n";
    return s.str();
}

} // namespace quorvel
