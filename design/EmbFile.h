// CEmbFile: reads an embroidery design file (QEF, QEF+, QPX or Tajima DST) into a CEmbData.
// It writes nothing: a design is sent as the file's bytes, unchanged.
//
// Every multi-byte number is little-endian; every int32 is signed. The header layouts are
// documented above each reader in EmbFile.cpp. The readers throw FileErrorInfo by value and Read
// turns it (and any CFileException) into false. Failures inside the optional blocks (ENHANCE,
// the QPX data block, the edit block) are silent and drop only that block.
#pragma once

#include "design/EmbData.h"
#include "design/EmbEditData.h"
#include "platform/afx/CString.h"

#include <cstdint>

class CFile;
class CByteCursor;

class CEmbFile {
public:
    enum DesignFileType {
        dftUnknown = -1,
        dftQef = 1,
        dftQefPlus = 2,
        dftQpx = 3,
        dftDst = 4,
        dftQbd = 6,
    };

    enum FileErrorInfo {
        feNone = 0,          // no failure (not thrown)
        feBadHeader = 1,
        feNoColors = 2,
        feNoStitches = 3,
        feNoMemory = 4,
        feColorTable = 5,
        feTypeTable = 6,
        feStitchData = 7,
        feBadStitches = 8,
        feExtension = 9,
        feDstData = 10,
    };

    explicit CEmbFile(int nFileType = dftUnknown) : m_nFileType(nFileType) {}
    virtual ~CEmbFile();
    CEmbFile(const CEmbFile&) = delete;
    CEmbFile& operator=(const CEmbFile&) = delete;

    // The type from the text after the last '.', compared without regard to case.
    static int GetFileType(const char16_t* pszPath);
    // A different type resets the file state (edit items, QPX layout values, QPX data block).
    void SetFileType(int nFileType);

    // Opens the file for binary reading, takes its type from the name and reads it.
    bool ReadFile(const char16_t* pszPath, CEmbData& data);
    // Reads an open file (a memory file included) of the current type into data.
    bool Read(CFile& file, CEmbData& data);
    // The same over bytes already in memory.
    bool ReadBuffer(const BYTE* pData, size_t nLength, CEmbData& data);

    int GetFileTypeValue() const { return m_nFileType; }
    int GetHoopCode() const { return m_nHoopCode; }
    int GetEditItemCount() const { return m_nEditItemCount; }
    const CEmbEditData* GetEditItems() const { return m_pEditItems; }
    const int32_t* GetQpxLayoutInts() const { return m_anQpxLayout; }    // five values
    const double* GetQpxLayoutDoubles() const { return m_adQpxLayout; }  // four values
    int GetQpxValueA() const { return m_nQpxValueA; }
    int GetQpxValueB() const { return m_nQpxValueB; }
    const BYTE* GetQpxData() const { return m_pQpxData; }
    int GetQpxDataLength() const { return m_nQpxDataLength; }

    // Why the last Read failed: the FileErrorInfo (feNone after success) and a short English
    // description of the field or block that was wrong (empty after success).
    int GetLastFileError() const { return m_nLastError; }
    const char* GetLastErrorDetail() const { return m_pszErrorDetail; }

    // One DST record's move by the standard bit weights.
    static void DecodeDstRecord(BYTE b0, BYTE b1, BYTE b2, int& dx, int& dy);

private:
    void ResetFileState();
    void FreeEditItems();
    void FreeQpxData();
    bool AllocEditData(int nCount);
    [[noreturn]] void Fail(FileErrorInfo error, const char* pszDetail);

    struct HeaderCheckTexts {
        const char* pszOffsetRange;
        const char* pszNoColors;
        const char* pszNoWords;
        const char* pszFewWords;
        const char* pszOffsetBelowTables;
    };
    void CheckHeaderCounts(const CByteCursor& in, uint32_t nOffset, uint32_t nMinOffset, int32_t nColors,
                           int32_t nWords, const HeaderCheckTexts& texts);
    void ReadQef(CByteCursor& in, CEmbData& data);
    void ReadQefPlus(CByteCursor& in, CEmbData& data);
    void ReadQpx(CByteCursor& in, CEmbData& data);
    void ReadDst(CByteCursor& in, CEmbData& data);
    void ReadColorTables(CByteCursor& in, CEmbData& data, int nColors);
    void ReadStitchWords(CByteCursor& in, CEmbData& data, uint32_t nOffset, int nWords);
    void ReadEnhanceBlock(CByteCursor& in, CEmbData& data);
    bool ReadThreadBlock(CByteCursor& in, CEmbData& data);
    void ReadQpxEnhanceBlock(CByteCursor& in, CEmbData& data);
    void ReadQpxDataBlock(CByteCursor& in);
    void ReadEditBlock(CByteCursor& in);

    int32_t m_nFileType;                 // a DesignFileType
    int32_t m_nHoopCode = 0xFFFF;
    int32_t m_nEditItemCount = 0;
    CEmbEditData* m_pEditItems = nullptr;  // owned array
    int32_t m_anQpxLayout[5] = {100, 100, 0, 0, -1};
    double m_adQpxLayout[4] = {0.0, 0.0, 0.0, 0.0};
    int32_t m_nQpxValueA = 0;
    int32_t m_nQpxValueB = 0;
    BYTE* m_pQpxData = nullptr;          // owned
    int32_t m_nQpxDataLength = 0;

    int32_t m_nLastError = feNone;
    const char* m_pszErrorDetail = "";
    int32_t m_nEditItemsAllocated = 0;
};
