// The page's call, as it posts it to /api/call:
//   {"export": "WriteSendDialog", "target": 0..2, "deepFolders": bool, "file": "Star.qef+",
//    "upload": base64 bytes, "name": "...", "folder": "...", "storage": N,
//    "selectAfterSendEnable": bool, "selectAfterSend": N, "language": 1041}
// Everything but "export" may be left out; a value of the wrong type counts as left out.
#pragma once

#include "host/gui/UiCall.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

// nullopt with a reason when the upload is not base64.
std::optional<UiCall> ParseUiCall(const nlohmann::json& body, std::string& strError);
// Standard base64 (padding optional, no line breaks); nullopt for anything else.
std::optional<std::vector<uint8_t>> DecodeBase64(const std::string& strText);
