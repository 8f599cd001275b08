// CMachineFileCheck: whether one source file can go to the machine side as it is - found,
// readable, and within the machine's limits (colour blocks, stitch words, the editing area).
// The File Manager's transfers check every file bound for the machine or a USB flash drive with
// CheckSourceFile before anything moves; the name test is the transfers' own.
#pragma once

#include "design/EmbData.h"

class CMachineFileCheck {
public:
    // The refusal lists a transfer keeps, in the order it reports them.
    enum CheckResult {
        mfcOk = 0,
        mfcNotFound,
        mfcErrorInFile,
        mfcTooManyLayers,
        mfcTooManyStitches,
        mfcTooLarge,
    };

    static constexpr int MAX_COLOR_BLOCKS = 200;
    static constexpr int MAX_STITCH_WORDS = 200000;
    static constexpr int MAX_HALF_WIDTH = 1400;    // 140 mm to each side, in 0.1 mm
    static constexpr int MAX_HALF_HEIGHT = 2300;   // 230 mm up and down

    // nContentKind: 0 designs (.qef, .qef+, .qpx), 1 STX patterns.
    static CheckResult CheckSourceFile(const char16_t* pszPath, int nContentKind);
    static CheckResult CheckDesignFile(const char16_t* pszPath);
    static CheckResult CheckStxFile(const char16_t* pszPath);
    // The limits of a design already read (and validated): blocks, words, then the size of its
    // cached extents around its rounded position.
    static CheckResult CheckDesignLimits(const CEmbData& data);
    // False when the file cannot be opened for reading.
    static bool CanOpen(const char16_t* pszPath);
    // "ok", "not-found", "error-in-file", "too-many-layers", "too-many-stitches", "too-large".
    static const char* ResultName(CheckResult result);
};
