// One call the page asks the host to make on its UI thread: an export by name (or "Sampler"),
// with what the person chose for it in the host's bar.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct UiCall {
    std::string strExport;
    int nLanguage = 1033; // for ChangeLanguage
    // The File Manager and Write a Design: TargetKind (0 USB flash drive only, 1 machine only,
    // 2 either) and the deep-folders flag.
    int32_t nTarget = 2;
    bool bDeepFolders = false;
    // Write a Design: a sample file by name, or the bytes of a file from the person's disk
    // (strFile then names it); what is not given comes from the host's last call.
    std::string strFile;
    std::optional<std::vector<uint8_t>> upload;
    std::optional<std::string> name;   // the proposed name (default: the file's name)
    std::optional<std::string> folder; // the initial folder
    std::optional<int32_t> storage;
    bool bSelectAfterSendEnable = true;
    std::optional<int32_t> selectAfterSend;
};
