#include "design/MachineFileCheck.h"

#include "design/EmbFile.h"
#include "design/StxFile.h"
#include "platform/afx/File.h"

#include <cmath>
#include <cstdlib>

bool CMachineFileCheck::CanOpen(const char16_t* pszPath)
{
    if (!pszPath)
        return false;
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::typeBinary))
        return false;
    try {
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
    }
    return true;
}

CMachineFileCheck::CheckResult CMachineFileCheck::CheckSourceFile(const char16_t* pszPath, int nContentKind)
{
    return nContentKind == 1 ? CheckStxFile(pszPath) : CheckDesignFile(pszPath);
}

CMachineFileCheck::CheckResult CMachineFileCheck::CheckStxFile(const char16_t* pszPath)
{
    if (!CanOpen(pszPath))
        return mfcNotFound;
    CStxFile stx;
    if (!stx.ReadFile(pszPath) || stx.IsBroken())
        return mfcErrorInFile;
    return mfcOk;
}

CMachineFileCheck::CheckResult CMachineFileCheck::CheckDesignFile(const char16_t* pszPath)
{
    if (!CanOpen(pszPath))
        return mfcNotFound;
    CEmbFile file(CEmbFile::GetFileType(pszPath));
    CEmbData data;
    if (!file.ReadFile(pszPath, data))
        return mfcErrorInFile;
    return CheckDesignLimits(data);
}

CMachineFileCheck::CheckResult CMachineFileCheck::CheckDesignLimits(const CEmbData& data)
{
    if (data.m_nStatus <= 0)
        return mfcErrorInFile;
    if (data.m_nColorBlockCount > MAX_COLOR_BLOCKS)
        return mfcTooManyLayers;
    if (data.m_nStitchWordCount > MAX_STITCH_WORDS)
        return mfcTooManyStitches;
    const int64_t x = std::llround(data.m_dPosX);
    const int64_t y = std::llround(data.m_dPosY);
    const EMBEXTENTS& ext = data.m_extents;
    if (std::llabs(x - ext.nLeft) > MAX_HALF_WIDTH || x + ext.nRight > MAX_HALF_WIDTH || y + ext.nUp > MAX_HALF_HEIGHT ||
        std::llabs(y - ext.nDown) > MAX_HALF_HEIGHT)
        return mfcTooLarge;
    return mfcOk;
}

const char* CMachineFileCheck::ResultName(CheckResult result)
{
    switch (result) {
    case mfcOk: return "ok";
    case mfcNotFound: return "not-found";
    case mfcErrorInFile: return "error-in-file";
    case mfcTooManyLayers: return "too-many-layers";
    case mfcTooManyStitches: return "too-many-stitches";
    case mfcTooLarge: return "too-large";
    }
    return "error-in-file";
}
