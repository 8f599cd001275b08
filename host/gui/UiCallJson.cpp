#include "host/gui/UiCallJson.h"

using nlohmann::json;

namespace {

template <class T>
std::optional<T> Field(const json& body, const char* key)
{
    auto it = body.find(key);
    if (it == body.end())
        return std::nullopt;
    if constexpr (std::is_same_v<T, std::string>) {
        if (it->is_string())
            return it->get<std::string>();
    } else if constexpr (std::is_same_v<T, bool>) {
        if (it->is_boolean())
            return it->get<bool>();
    } else {
        if (it->is_number_integer())
            return static_cast<T>(it->get<long long>());
    }
    return std::nullopt;
}

int Sextet(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

std::optional<std::vector<uint8_t>> DecodeBase64(const std::string& strText)
{
    std::string s = strText;
    while (!s.empty() && s.back() == '=')
        s.pop_back();
    if (s.size() % 4 == 1 || strText.size() - s.size() > 2)
        return std::nullopt;
    std::vector<uint8_t> out;
    out.reserve(s.size() * 3 / 4);
    uint32_t bits = 0;
    int nBits = 0;
    for (char c : s) {
        int v = Sextet(c);
        if (v < 0)
            return std::nullopt;
        bits = (bits << 6) | static_cast<uint32_t>(v);
        nBits += 6;
        if (nBits >= 8) {
            nBits -= 8;
            out.push_back(static_cast<uint8_t>(bits >> nBits));
        }
    }
    return out;
}

std::optional<UiCall> ParseUiCall(const json& body, std::string& strError)
{
    UiCall call;
    call.strExport = Field<std::string>(body, "export").value_or("");
    call.nLanguage = Field<int>(body, "language").value_or(1033);
    call.nTarget = Field<int32_t>(body, "target").value_or(2);
    call.bDeepFolders = Field<bool>(body, "deepFolders").value_or(false);
    call.strFile = Field<std::string>(body, "file").value_or("");
    if (auto upload = Field<std::string>(body, "upload")) {
        auto bytes = DecodeBase64(*upload);
        if (!bytes) {
            strError = "the uploaded file is not base64";
            return std::nullopt;
        }
        call.upload = std::move(bytes);
    }
    call.name = Field<std::string>(body, "name");
    call.folder = Field<std::string>(body, "folder");
    call.storage = Field<int32_t>(body, "storage");
    call.bSelectAfterSendEnable = Field<bool>(body, "selectAfterSendEnable").value_or(true);
    call.selectAfterSend = Field<int32_t>(body, "selectAfterSend");
    return call;
}
