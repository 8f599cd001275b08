#include "host/cli/InfoCommand.h"

#include "design/EmbFile.h"
#include "design/MachineFileCheck.h"
#include "design/StxFile.h"
#include "design/ThreadPalette.h"
#include "platform/file/DriveMap.h"
#include "platform/afx/MemFile.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using nlohmann::json;

namespace {

void PrintUsage()
{
    std::cerr << "usage: tavren info [--json] [--words] FILE...\n"
                 "  --json   one JSON object per file per line\n"
                 "  --words  with --json: the stitch words after validation\n";
}

bool IsStxName(const std::string& path)
{
    const std::string ext = std::filesystem::path(path).extension().string();
    if (ext.size() != 4)
        return false;
    std::string lower;
    for (char c : ext)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == ".stx";
}

// The file as the module would see it: its Windows path on the drive map, when it has one.
std::u16string WindowsPath(const std::string& hostPath)
{
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(hostPath, ec);
    if (ec)
        return {};
    return tavren::DriveMap::Instance().FromHost(abs.lexically_normal().string());
}

// The bytes of a file outside every mapped drive, read by the host itself.
std::optional<std::vector<BYTE>> HostBytes(const std::string& hostPath)
{
    std::ifstream in(hostPath, std::ios::binary);
    if (!in || std::filesystem::is_directory(hostPath))
        return std::nullopt;
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char* TypeName(int nType)
{
    switch (nType) {
    case CEmbFile::dftQef: return "QEF";
    case CEmbFile::dftQefPlus: return "QEF+";
    case CEmbFile::dftQpx: return "QPX";
    case CEmbFile::dftDst: return "Tajima DST";
    case CEmbFile::dftQbd: return "QBD (not readable)";
    default: return "unknown type";
    }
}

const char* ErrorName(int nError)
{
    switch (nError) {
    case CEmbFile::feBadHeader: return "bad header";
    case CEmbFile::feNoColors: return "no colours";
    case CEmbFile::feNoStitches: return "no stitches";
    case CEmbFile::feNoMemory: return "no memory";
    case CEmbFile::feColorTable: return "colour table";
    case CEmbFile::feTypeTable: return "thread type table";
    case CEmbFile::feStitchData: return "stitch data";
    case CEmbFile::feBadStitches: return "bad stitches";
    case CEmbFile::feExtension: return "extension block";
    case CEmbFile::feDstData: return "DST data";
    default: return "not read";
    }
}

const char* StatusName(int nStatus)
{
    switch (nStatus) {
    case CEmbData::scStartsWithJump: return "valid, starts with a jump";
    case CEmbData::scStartsWithStitch: return "valid, starts with a stitch";
    case CEmbData::scEmpty: return "empty";
    case CEmbData::scColorCountMismatch: return "colour block count does not match the colour changes";
    case CEmbData::scEndNotLast: return "end command is not the last word";
    case CEmbData::scNoEnd: return "no end command";
    case CEmbData::scBadMove: return "a command stands where a move must be";
    default: return "unknown";
    }
}

const char* CheckText(CMachineFileCheck::CheckResult result)
{
    switch (result) {
    case CMachineFileCheck::mfcOk: return "the machine would take it";
    case CMachineFileCheck::mfcNotFound: return "refused: the file is not found";
    case CMachineFileCheck::mfcErrorInFile: return "refused: there is an error in the file";
    case CMachineFileCheck::mfcTooManyLayers: return "refused: more than 200 colour blocks";
    case CMachineFileCheck::mfcTooManyStitches: return "refused: more than 200000 stitch words";
    case CMachineFileCheck::mfcTooLarge: return "refused: larger than 140 mm to each side or 230 mm up and down";
    }
    return "";
}

// The machine reads only its own design files; nothing converts any other.
bool IsMachineFormat(int nType)
{
    return nType == CEmbFile::dftQef || nType == CEmbFile::dftQefPlus || nType == CEmbFile::dftQpx;
}

// The verdict on the design alone, for a file the machine cannot take as it is.
std::string LimitsText(CMachineFileCheck::CheckResult result)
{
    switch (result) {
    case CMachineFileCheck::mfcOk: return "within the machine's limits";
    case CMachineFileCheck::mfcNotFound:
    case CMachineFileCheck::mfcErrorInFile: return "not checked, since it was not read";
    default: break;
    }
    std::string text = CheckText(result);
    return "beyond the machine's limits: " + text.substr(text.find(": ") + 2);
}

std::string Millimetres(int nTenths)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%d", nTenths / 10, std::abs(nTenths % 10));
    return (nTenths < 0 && nTenths > -10 ? "-" : "") + std::string(buf);
}

std::string Hex(COLORREF cr)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(cr), GetGValue(cr), GetBValue(cr));
    return buf;
}

// Both report one file and answer whether it was read.
bool InfoDesign(const std::string& path, bool bJson, bool bWords)
{
    const int nType = CEmbFile::GetFileType(CString::FromUtf8(path));
    CEmbFile file(nType);
    CEmbData data;
    bool bFound = false;
    bool bRead = false;
    const std::u16string win = WindowsPath(path);
    if (!win.empty() && CMachineFileCheck::CanOpen(win.c_str())) {
        bFound = true;
        bRead = file.ReadFile(win.c_str(), data);
    } else if (auto bytes = HostBytes(path)) {
        bFound = true;
        CMemFile mem(bytes->data(), static_cast<UINT>(bytes->size()));
        file.SetFileType(nType);
        bRead = file.Read(mem, data);
    }
    CMachineFileCheck::CheckResult check = CMachineFileCheck::mfcNotFound;
    if (bFound)
        check = bRead ? CMachineFileCheck::CheckDesignLimits(data) : CMachineFileCheck::mfcErrorInFile;

    if (bJson) {
        json j;
        j["file"] = path;
        j["family"] = "design";
        j["fileType"] = nType;
        j["read"] = bRead;
        j["status"] = data.m_nStatus;
        j["colorBlocks"] = data.m_nColorBlockCount;
        j["stitchWords"] = data.m_nStitchWordCount;
        j["hoop"] = file.GetHoopCode();
        j["designOption"] = data.m_nDesignOption;
        j["extents"] = {data.m_extents.nLeft, data.m_extents.nUp, data.m_extents.nRight, data.m_extents.nDown};
        json blocks = json::array();
        for (int i = 0; i < data.m_nColorBlockCount; ++i) {
            const CLayerInfo& b = data.m_pColorBlocks[i];
            const COLORREF cr = b.GetColor(false);
            blocks.push_back({{"palette", b.m_nPaletteIndex},
                              {"threadType", b.m_nThreadType},
                              {"custom", b.m_bCustom != 0},
                              {"rgb", {GetRValue(cr), GetGValue(cr), GetBValue(cr)}},
                              {"marker", b.m_customThread.bMarker},
                              {"markDirection", b.m_customThread.nMarkDirection},
                              {"firstWord", b.m_nFirstWord},
                              {"start", {b.m_nStartX, b.m_nStartY}}});
        }
        j["blocks"] = blocks;
        j["editItems"] = file.GetEditItemCount();
        j["allLight"] = data.IsAllLight();
        j["check"] = CMachineFileCheck::ResultName(check);
        j["machineFormat"] = IsMachineFormat(nType);
        j["error"] = file.GetLastFileError();
        j["errorText"] = bFound ? file.GetLastErrorDetail() : "the file cannot be opened";
        if (bWords) {
            json words = json::array();
            for (int i = 0; i < data.m_nStitchWordCount; ++i)
                words.push_back({data.m_pStitchWords[i].bX, data.m_pStitchWords[i].bY});
            j["words"] = words;
        }
        std::cout << j.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
        return bRead;
    }

    std::cout << path << ": " << TypeName(nType) << " design\n";
    if (!bFound) {
        std::cout << "  not read: the file cannot be opened\n";
    } else if (!bRead) {
        std::cout << "  not read: " << ErrorName(file.GetLastFileError());
        if (*file.GetLastErrorDetail())
            std::cout << " - " << file.GetLastErrorDetail();
        if (file.GetLastFileError() == CEmbFile::feBadStitches)
            std::cout << " (" << StatusName(data.m_nStatus) << ")";
        std::cout << "\n";
    } else {
        std::cout << "  read: " << StatusName(data.m_nStatus) << "\n";
        std::cout << "  colour blocks: " << data.m_nColorBlockCount << "\n";
        for (int i = 0; i < data.m_nColorBlockCount; ++i) {
            const CLayerInfo& b = data.m_pColorBlocks[i];
            std::cout << "    " << (i + 1) << ". " << GetThreadPaletteRow(b.m_nPaletteIndex).szName << " (palette "
                      << b.m_nPaletteIndex << ") " << Hex(b.GetColor(true));
            if (b.m_bCustom)
                std::cout << ", custom colour " << Hex(b.GetColor(false))
                          << (b.m_customThread.bMarker == MARKER_PLACEMENT ? ", placement marks" : "");
            std::cout << "\n";
        }
        const EMBEXTENTS& e = data.m_extents;
        std::cout << "  stitch words: " << data.m_nStitchWordCount << "\n";
        std::cout << "  size: " << Millimetres(e.nLeft + e.nRight) << " x " << Millimetres(e.nUp + e.nDown)
                  << " mm (left " << Millimetres(e.nLeft) << ", up " << Millimetres(e.nUp) << ", right "
                  << Millimetres(e.nRight) << ", down " << Millimetres(e.nDown) << ")\n";
        std::cout << "  hoop: " << file.GetHoopCode() << "\n";
        if (file.GetEditItemCount() > 0)
            std::cout << "  edit items: " << file.GetEditItemCount() << "\n";
    }
    if (IsMachineFormat(nType)) {
        std::cout << "  machine: " << CheckText(check) << "\n";
    } else {
        std::cout << "  machine: reads only .qef, .qef+ and .qpx files, and files are sent as they are, never "
                     "converted: not this one\n";
        std::cout << "  design: " << LimitsText(check) << "\n";
    }
    return bRead;
}

bool InfoStx(const std::string& path, bool bJson)
{
    CStxFile stx;
    bool bFound = false;
    bool bRead = false;
    const std::u16string win = WindowsPath(path);
    if (!win.empty() && CMachineFileCheck::CanOpen(win.c_str())) {
        bFound = true;
        bRead = stx.ReadFile(win.c_str());
    } else if (auto bytes = HostBytes(path)) {
        bFound = true;
        CMemFile mem(bytes->data(), static_cast<UINT>(bytes->size()));
        bRead = stx.Read(mem);
    }
    const char* pszCheck = !bFound ? "not-found" : (!bRead || stx.IsBroken()) ? "error-in-file" : "ok";
    const CArray<CPoint>& outline = stx.GetOutline();
    if (bJson) {
        json j;
        j["file"] = path;
        j["family"] = "stx";
        j["read"] = bRead;
        j["broken"] = bFound ? stx.IsBroken() : true;
        j["width"] = stx.GetWidth();
        j["length"] = stx.GetLength();
        j["minFeed"] = stx.GetMinFeed();
        json points = json::array();
        for (const CPoint& p : outline)
            points.push_back({p.x, p.y});
        j["outline"] = points;
        j["check"] = pszCheck;
        j["machineFormat"] = true;
        std::cout << j.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
        return bRead;
    }
    std::cout << path << ": STX stitch pattern\n";
    if (!bFound) {
        std::cout << "  not read: the file cannot be opened\n";
    } else if (!bRead) {
        const char* pszReason = "read error";
        switch (stx.GetLastReadFailure()) {
        case CStxFile::sfShortHeader: pszReason = "header shorter than 68 bytes"; break;
        case CStxFile::sfHeaderSize: pszReason = "header size field (offset 36) is not 68"; break;
        case CStxFile::sfRecords: pszReason = "fewer records than the record count (offset 40) announces"; break;
        }
        std::cout << "  not read: " << pszReason << "\n";
    } else {
        std::cout << "  read" << (stx.IsBroken() ? ", but broken (fails a structure rule)" : ", well formed") << "\n";
        std::cout << "  points: " << outline.GetSize() << "\n";
        std::cout << "  width: " << Millimetres(stx.GetWidth()) << " mm, length: " << Millimetres(stx.GetLength())
                  << " mm, minimum feed: " << Millimetres(stx.GetMinFeed()) << " mm\n";
    }
    std::cout << "  machine: "
              << (std::string(pszCheck) == "ok" ? "the machine would take it"
                  : !bFound                     ? "refused: the file is not found"
                                                : "refused: there is an error in the file")
              << "\n";
    return bRead;
}

} // namespace

int RunInfoCommand(int argc, char** argv)
{
    bool bJson = false;
    bool bWords = false;
    std::vector<std::string> files;
    bool bOptions = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (bOptions && arg == "--") {
            bOptions = false;
        } else if (bOptions && arg == "--json") {
            bJson = true;
        } else if (bOptions && arg == "--words") {
            bWords = true;
        } else if (bOptions && (arg == "--help" || arg == "-h")) {
            PrintUsage();
            return 0;
        } else if (bOptions && arg.size() > 1 && arg[0] == '-') {
            std::cerr << "tavren info: unknown option " << arg << "\n";
            PrintUsage();
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        PrintUsage();
        return 2;
    }
    bool bAllRead = true;
    for (const std::string& path : files) {
        const bool bRead = IsStxName(path) ? InfoStx(path, bJson) : InfoDesign(path, bJson, bWords);
        bAllRead = bAllRead && bRead;
    }
    std::cout.flush();
    return bAllRead ? 0 : 1;
}
