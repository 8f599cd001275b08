// CStxFile: reads an .stx stitch pattern (one user-made sewing stitch for the machine's user
// stitch storage), turns its records into a polyline (x: needle swing, y: feed position, 0.1 mm)
// and judges whether the pattern is well formed. It only reads; .stx files are sent unchanged.
//
// Layout (little-endian): a 68-byte header - uint16 header size (68) at 36, uint16 record count R
// at 40, uint16 width numerator/denominator at 46/48, uint16 length numerator/denominator at
// 52/54 - then R records of 4 bytes. Record byte 0 == 0x80: a command with code byte 1 (0x03
// opening, 0x00 closing, 0x04 counted, 0xFF end of records); otherwise byte 0 is the needle
// position and byte 1 the feed, both signed. Record bytes 2 and 3 are kept as read.
#pragma once

#include "platform/afx/CArray.h"
#include "platform/afx/CPoint.h"
#include "platform/base/WinTypes.h"

#include <cstddef>
#include <cstdint>

class CFile;
class CDC;

class CStxFile {
public:
    enum { STX_HEADER_SIZE = 68 };

    // Why a read failed: thrown by value inside the reader, caught at ReadBuffer, which answers
    // false and keeps it for GetLastReadFailure.
    enum StxReadFailure {
        sfNone = 0,         // no failure (not thrown)
        sfShortHeader = 1,  // fewer than 68 bytes
        sfHeaderSize = 2,   // the header size field (offset 36) is not 68
        sfRecords = 3,      // fewer records than the count announces, or no memory for them
    };

    CStxFile() = default;
    virtual ~CStxFile();
    CStxFile(const CStxFile&) = delete;
    CStxFile& operator=(const CStxFile&) = delete;

    // False for a null path or a file that cannot be opened for binary reading; else Read.
    bool ReadFile(const char16_t* pszPath);
    // False when the header or the records cannot be read (and the file is marked broken); a
    // structure rule that fails only marks the file broken.
    bool Read(CFile& file);
    // The same over bytes already in memory.
    bool ReadBuffer(const BYTE* pData, size_t nLength);

    // Draws the outline with the pen already selected, offsets in 0.1 mm (see StxFileDraw.cpp).
    void DrawOutline(CDC& dc, int nOffsetX, int nOffsetY);

    bool IsBroken() const { return m_bBroken != 0; }
    int GetWidth() const { return m_nWidth; }
    int GetLength() const { return m_nLength; }
    int GetMinFeed() const { return m_nMinFeed; }
    const CArray<CPoint>& GetOutline() const { return m_aOutline; }
    const BYTE* GetHeader() const { return m_abHeader; }
    int GetRecordCount() const { return m_nRecordCount; }
    const BYTE* GetRecords() const { return m_pRecords; }
    // Which StxReadFailure ended the last Read (sfNone after success).
    int GetLastReadFailure() const { return m_nLastFailure; }

private:
    void Parse();
    void FreeBuffers();

    BYTE m_abHeader[STX_HEADER_SIZE] = {};
    BYTE* m_pRecords = nullptr;          // owned, R x 4 bytes
    CArray<CPoint> m_aOutline;
    int32_t m_nWidth = 1;
    int32_t m_nLength = 1;
    int32_t m_nMinFeed = 0;
    BYTE* m_pExtra1 = nullptr;           // further buffers the pattern format reserves; empty
    int32_t m_nExtra1 = 0;
    BYTE* m_pExtra2 = nullptr;
    int32_t m_nExtra2 = 0;
    BYTE m_bBroken = 0;

    int32_t m_nRecordCount = 0;
    int32_t m_nLastFailure = sfNone;
};
