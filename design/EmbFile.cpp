#include "design/EmbFile.h"

#include "design/ByteCursor.h"
#include "design/ThreadPalette.h"
#include "platform/afx/File.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

constexpr uint32_t QEF_HEADER_SIZE = 116;
constexpr uint32_t QEF_PLUS_MIN_OFFSET = 140;   // header, custom thread count, one int32, tag, V, P
constexpr uint32_t QPX_HEADER_SIZE = 60;
constexpr uint32_t QPX_MIN_OFFSET = 80;
constexpr uint32_t DST_HEADER_SIZE = 512;
constexpr int QEF_ENHANCE_LEVEL = 20;
constexpr int HOOP_WITH_EDIT_ITEMS = 5;
constexpr size_t THREAD_RECORD_SIZE = 44;
constexpr int EDIT_RECORD_MIN = 36;
constexpr int EDIT_VERSION_MAX = 31;
constexpr BYTE QPX_OPTION_MARKER = 0x40;
constexpr int QPX_LAYOUT_OPTION = 3;
const BYTE MAKER_TAG[8] = {'K', 'E', 'L', 'T', 'R', 'A', 0, 0};
const BYTE ENHANCE_TAG[7] = {'E', 'N', 'H', 'A', 'N', 'C', 'E'};
const BYTE QPX_TAG[4] = {'Q', 'P', 'X', 0};

struct ENHANCEENTRY {
    int32_t nType;
    int32_t nLength;
};

// Reads the 8-byte "ENHANCE" header and its entry table; false (block ignored) when either is
// short, the characters differ or the count is 0.
bool ReadEnhanceTable(CByteCursor& in, ENHANCEENTRY (&aEntries)[255], int& nCount)
{
    BYTE header[8];
    if (in.Read(header, 8) != 8 || std::memcmp(header, ENHANCE_TAG, 7) != 0 || header[7] == 0)
        return false;
    nCount = header[7];
    for (int i = 0; i < nCount; ++i) {
        if (!in.ReadInt32(aEntries[i].nType) || !in.ReadInt32(aEntries[i].nLength))
            return false;
    }
    return true;
}

// Moves to the end of an entry; false (stop the loop) when that lies outside the file.
bool SeekEntryEnd(CByteCursor& in, uint64_t nStart, int32_t nLength)
{
    const int64_t nEnd = static_cast<int64_t>(nStart) + nLength;
    if (nEnd < 0 || static_cast<uint64_t>(nEnd) > in.GetLength())
        return false;
    in.Seek(static_cast<uint64_t>(nEnd));
    return true;
}

} // namespace

CEmbFile::~CEmbFile()
{
    FreeEditItems();
    FreeQpxData();
}

int CEmbFile::GetFileType(const char16_t* pszPath)
{
    if (!pszPath)
        return dftUnknown;
    CString strPath(pszPath);
    const int nDot = strPath.ReverseFind(u'.');
    if (nDot < 0)
        return dftUnknown;
    const CString strExt = strPath.Mid(nDot + 1);
    if (strExt.CompareNoCase(u"qef") == 0)
        return dftQef;
    if (strExt.CompareNoCase(u"qef+") == 0)
        return dftQefPlus;
    if (strExt.CompareNoCase(u"qpx") == 0)
        return dftQpx;
    if (strExt.CompareNoCase(u"dst") == 0)
        return dftDst;
    if (strExt.CompareNoCase(u"qbd") == 0)
        return dftQbd;
    return dftUnknown;
}

void CEmbFile::SetFileType(int nFileType)
{
    if (nFileType == m_nFileType)
        return;
    m_nFileType = nFileType;
    ResetFileState();
}

void CEmbFile::ResetFileState()
{
    FreeEditItems();
    m_anQpxLayout[0] = 100;
    m_anQpxLayout[1] = 100;
    m_anQpxLayout[2] = 0;
    m_anQpxLayout[3] = 0;
    m_anQpxLayout[4] = -1;
    for (double& d : m_adQpxLayout)
        d = 0.0;
    FreeQpxData();
}

void CEmbFile::FreeEditItems()
{
    delete[] m_pEditItems;
    m_pEditItems = nullptr;
    m_nEditItemCount = 0;
    m_nEditItemsAllocated = 0;
}

void CEmbFile::FreeQpxData()
{
    delete[] m_pQpxData;
    m_pQpxData = nullptr;
    m_nQpxDataLength = 0;
    m_nQpxValueA = 0;
    m_nQpxValueB = 0;
}

bool CEmbFile::AllocEditData(int nCount)
{
    FreeEditItems();
    if (nCount < 1)
        return false;
    m_pEditItems = new (std::nothrow) CEmbEditData[static_cast<size_t>(nCount)];
    if (!m_pEditItems)
        return false;
    m_nEditItemsAllocated = nCount;
    return true;
}

void CEmbFile::Fail(FileErrorInfo error, const char* pszDetail)
{
    m_nLastError = error;
    m_pszErrorDetail = pszDetail;
    throw error;
}

bool CEmbFile::ReadFile(const char16_t* pszPath, CEmbData& data)
{
    if (!pszPath)
        return false;
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::typeBinary))
        return false;
    SetFileType(GetFileType(pszPath));
    const bool bResult = Read(file, data);
    try {
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
    }
    return bResult;
}

bool CEmbFile::Read(CFile& file, CEmbData& data)
{
    data.Reset();
    ResetFileState();
    m_nLastError = feNone;
    m_pszErrorDetail = "";
    if (m_nFileType != dftQef && m_nFileType != dftQefPlus && m_nFileType != dftQpx && m_nFileType != dftDst) {
        m_pszErrorDetail = "no reader for this file type";
        return false;
    }
    try {
        if (file.GetPosition() != 0)
            file.SeekToBegin();
        const ULONGLONG nLength = file.GetLength();
        if (nLength > std::numeric_limits<size_t>::max() / 2)
            Fail(feNoMemory, "file too large to read");
        // The whole file is read once; the readers then work on it in memory.
        std::unique_ptr<BYTE[]> pBytes(new (std::nothrow) BYTE[nLength > 0 ? static_cast<size_t>(nLength) : 1]);
        if (!pBytes)
            Fail(feNoMemory, "file too large to read");
        size_t nGot = 0;
        while (nGot < nLength) {
            const size_t nChunk = static_cast<size_t>(nLength) - nGot;
            const UINT n = file.Read(pBytes.get() + nGot, nChunk > 0x40000000u ? 0x40000000u : static_cast<UINT>(nChunk));
            if (n == 0)
                break;
            nGot += n;
        }
        return ReadBuffer(pBytes.get(), nGot, data);
    } catch (FileErrorInfo) {
        return false;
    } catch (CFileException* e) {
        e->Delete();
        m_nLastError = feStitchData;
        m_pszErrorDetail = "the file could not be read";
        return false;
    }
}

bool CEmbFile::ReadBuffer(const BYTE* pData, size_t nLength, CEmbData& data)
{
    data.Reset();
    ResetFileState();
    m_nLastError = feNone;
    m_pszErrorDetail = "";
    CByteCursor in(pData, nLength);
    try {
        switch (m_nFileType) {
        case dftQef:
            ReadQef(in, data);
            break;
        case dftQefPlus:
            ReadQefPlus(in, data);
            break;
        case dftQpx:
            ReadQpx(in, data);
            break;
        case dftDst:
            ReadDst(in, data);
            break;
        default:
            m_pszErrorDetail = "no reader for this file type";
            return false;
        }
    } catch (FileErrorInfo) {
        return false;
    }
    return true;
}

// Colour index table and thread type table: N int32 each, right after the header. The colour
// blocks are allocated first; an index outside the palette becomes 0.
void CEmbFile::ReadColorTables(CByteCursor& in, CEmbData& data, int nColors)
{
    if (!data.AllocLayers(nColors))
        Fail(feNoMemory, "colour blocks could not be allocated");
    for (int i = 0; i < nColors; ++i) {
        int32_t nIndex;
        if (!in.ReadInt32(nIndex))
            Fail(feColorTable, "colour index table cut short");
        if (nIndex < 0 || nIndex >= THREAD_PALETTE_SIZE)
            nIndex = 0;
        data.m_pColorBlocks[i].m_nPaletteIndex = nIndex;
    }
    for (int i = 0; i < nColors; ++i) {
        int32_t nType;
        if (!in.ReadInt32(nType))
            Fail(feTypeTable, "thread type table cut short");
        data.m_pColorBlocks[i].m_nThreadType = nType;
    }
}

// W stitch words at the stitch offset, then validation.
void CEmbFile::ReadStitchWords(CByteCursor& in, CEmbData& data, uint32_t nOffset, int nWords)
{
    // Refused before allocating: a header may announce far more words than the file holds.
    const uint64_t nBytes = static_cast<uint64_t>(nWords) * 2;
    if (nOffset > in.GetLength() || nBytes > in.GetLength() - nOffset)
        Fail(feStitchData, "fewer stitch bytes in the file than the stitch word count announces");
    if (!data.AllocStitchWords(nWords))
        Fail(feNoMemory, "stitch buffer could not be allocated");
    if (in.GetPosition() != nOffset)
        in.Seek(nOffset);
    if (in.Read(data.m_pStitchWords, nBytes) != nBytes)
        Fail(feStitchData, "fewer stitch bytes in the file than the stitch word count announces");
    if (!data.Validate())
        Fail(feBadStitches, "the stitch words do not form a valid design");
}

// The checks the three native headers share: where the stitches start, and how many colours and
// stitch words they announce; the texts name each format's own header offsets.
void CEmbFile::CheckHeaderCounts(const CByteCursor& in, uint32_t nOffset, uint32_t nMinOffset, int32_t nColors,
                                 int32_t nWords, const HeaderCheckTexts& texts)
{
    if (nOffset < nMinOffset || nOffset > in.GetLength())
        Fail(feBadHeader, texts.pszOffsetRange);
    if (nColors < 1)
        Fail(feNoColors, texts.pszNoColors);
    if (nWords < 1)
        Fail(feNoStitches, texts.pszNoWords);
    if (nWords < 2 * static_cast<int64_t>(nColors))
        Fail(feBadHeader, texts.pszFewWords);
    if (nOffset < nMinOffset + 8 * static_cast<uint64_t>(nColors))
        Fail(feBadHeader, texts.pszOffsetBelowTables);
}

// QEF header, 116 bytes:
//   0 int32 stitch offset (>= 116 + 8N, unsigned, within the file)   4 int32 extension level
//   8 16 bytes -   24 int32 colour count N (>= 1)   28 int32 stitch word count W (>= 1, >= 2N)
//   32 int32 hoop code   36 80 bytes -
// Then N palette indexes and N thread types; the stitch stream at the stitch offset; with an
// extension level of 20 or more an "ENHANCE" block after the stream.
void CEmbFile::ReadQef(CByteCursor& in, CEmbData& data)
{
    BYTE header[QEF_HEADER_SIZE];
    if (in.Read(header, QEF_HEADER_SIZE) != QEF_HEADER_SIZE)
        Fail(feBadHeader, "header shorter than 116 bytes");
    const uint32_t nOffset = CByteCursor::UInt32At(header);
    const int32_t nLevel = CByteCursor::Int32At(header + 4);
    const int32_t nColors = CByteCursor::Int32At(header + 24);
    const int32_t nWords = CByteCursor::Int32At(header + 28);
    const int32_t nHoop = CByteCursor::Int32At(header + 32);
    static constexpr HeaderCheckTexts kTexts = {
        "stitch offset (header offset 0) below 116 or beyond the end of the file",
        "colour count (header offset 24) below 1",
        "stitch word count (header offset 28) below 1",
        "stitch word count (header offset 28) below twice the colour count",
        "stitch offset (header offset 0) below 116 + 8 x colour count",
    };
    CheckHeaderCounts(in, nOffset, QEF_HEADER_SIZE, nColors, nWords, kTexts);
    ReadColorTables(in, data, nColors);
    ReadStitchWords(in, data, nOffset, nWords);
    m_nHoopCode = nHoop;
    if (nLevel >= QEF_ENHANCE_LEVEL && in.GetPosition() < in.GetLength()) {
        const uint64_t nPos = in.GetPosition();
        if (nPos % 4 != 0)
            in.Seek(nPos + nPos % 4);
        ReadEnhanceBlock(in, data);
    }
}

// QEF "ENHANCE" block: "ENHANCE" and a count byte K, K entries (int32 type, int32 length), then
// the entries' data one after another. Type 0 is the custom thread block; types 1 and 2 are edit
// items (only for hoop code 5) with their payload. Anything wrong drops the rest silently.
void CEmbFile::ReadEnhanceBlock(CByteCursor& in, CEmbData& data)
{
    ENHANCEENTRY aEntries[255];
    int nCount = 0;
    if (!ReadEnhanceTable(in, aEntries, nCount))
        return;
    if (m_nHoopCode == HOOP_WITH_EDIT_ITEMS) {
        int nItems = 0;
        for (int i = 0; i < nCount; ++i) {
            if (aEntries[i].nType == 1 || aEntries[i].nType == 2)
                ++nItems;
        }
        if (nItems > 0)
            AllocEditData(nItems);
    }
    for (int i = 0; i < nCount; ++i) {
        const ENHANCEENTRY& entry = aEntries[i];
        const uint64_t nStart = in.GetPosition();
        if (entry.nType == 0) {
            ReadThreadBlock(in, data);
        } else if ((entry.nType == 1 || entry.nType == 2) && m_pEditItems && m_nEditItemCount < m_nEditItemsAllocated) {
            CEmbEditData& item = m_pEditItems[m_nEditItemCount];
            item.m_nPayloadLength = entry.nLength;
            item.m_nOffsetX = 0;
            item.m_nOffsetY = entry.nType == 1 ? 400 : -400;
            item.m_nScale = 100;
            item.m_nValueB = 0;
            item.m_nValueC = 0;
            item.m_nValueD = 0;
            item.m_nFlag = entry.nType == 1 ? 0 : 1;
            // Only a payload read whole makes the item count.
            if (entry.nLength >= 0 && static_cast<uint64_t>(entry.nLength) <= in.GetRemaining() &&
                item.AllocPayload(entry.nLength) &&
                in.Read(item.m_pPayload, static_cast<uint64_t>(entry.nLength)) == static_cast<size_t>(entry.nLength))
                ++m_nEditItemCount;
            else
                item.FreePayload();
        }
        if (!SeekEntryEnd(in, nStart, entry.nLength))
            break;
    }
}

// Custom thread block: int32 count M, then M records of an int32 colour block index and 40 bytes
// of custom thread data. Indexes outside the blocks are skipped. False when a read is short.
bool CEmbFile::ReadThreadBlock(CByteCursor& in, CEmbData& data)
{
    int32_t nRecords;
    if (!in.ReadInt32(nRecords) || nRecords < 0)
        return false;
    for (int32_t i = 0; i < nRecords; ++i) {
        BYTE record[THREAD_RECORD_SIZE];
        if (in.Read(record, THREAD_RECORD_SIZE) != THREAD_RECORD_SIZE)
            return false;
        const int32_t nBlock = CByteCursor::Int32At(record);
        if (nBlock >= 0 && nBlock < data.m_nColorBlockCount) {
            data.m_pColorBlocks[nBlock].m_bCustom = 1;
            data.m_pColorBlocks[nBlock].SetCustomThread(record + 4);
        }
    }
    return true;
}

// QEF+ header: as QEF (offset 4 not interpreted), stitch offset >= 140 + 8N. After the two tables:
// the custom thread block, one int32, the 8-byte maker tag; with the tag, int32 version V and
// int32 edit block offset P, and for V >= 2 an "ENHANCE" table whose data is skipped. The edit
// block is read when V >= 1 and P >= 1.
void CEmbFile::ReadQefPlus(CByteCursor& in, CEmbData& data)
{
    BYTE header[QEF_HEADER_SIZE];
    if (in.Read(header, QEF_HEADER_SIZE) != QEF_HEADER_SIZE)
        Fail(feBadHeader, "header shorter than 116 bytes");
    const uint32_t nOffset = CByteCursor::UInt32At(header);
    const int32_t nColors = CByteCursor::Int32At(header + 24);
    const int32_t nWords = CByteCursor::Int32At(header + 28);
    const int32_t nHoop = CByteCursor::Int32At(header + 32);
    static constexpr HeaderCheckTexts kTexts = {
        "stitch offset (header offset 0) below 140 or beyond the end of the file",
        "colour count (header offset 24) below 1",
        "stitch word count (header offset 28) below 1",
        "stitch word count (header offset 28) below twice the colour count",
        "stitch offset (header offset 0) below 140 + 8 x colour count",
    };
    CheckHeaderCounts(in, nOffset, QEF_PLUS_MIN_OFFSET, nColors, nWords, kTexts);
    ReadColorTables(in, data, nColors);
    if (!ReadThreadBlock(in, data))
        Fail(feExtension, "custom thread block cut short");
    int32_t nUnused;
    if (!in.ReadInt32(nUnused))
        Fail(feExtension, "field after the custom thread block cut short");
    BYTE tag[8];
    if (in.Read(tag, 8) != 8)
        Fail(feExtension, "maker tag cut short");
    int32_t nVersion = 0;
    int32_t nEditOffset = 0;
    if (std::memcmp(tag, MAKER_TAG, 8) == 0) {
        // Cut short here counts like a cut tag.
        if (!in.ReadInt32(nVersion) || !in.ReadInt32(nEditOffset))
            Fail(feExtension, "version or edit block offset after the maker tag cut short");
        if (nVersion >= 2) {
            ENHANCEENTRY aEntries[255];
            int nCount = 0;
            if (ReadEnhanceTable(in, aEntries, nCount)) {
                int64_t nSkip = 0;
                bool bOk = true;
                for (int i = 0; i < nCount && bOk; ++i) {
                    bOk = aEntries[i].nLength >= 0;
                    nSkip += aEntries[i].nLength;
                }
                if (bOk)
                    in.Seek(in.GetPosition() + static_cast<uint64_t>(nSkip));
            }
        }
    }
    ReadStitchWords(in, data, nOffset, nWords);
    m_nHoopCode = nHoop;
    if (nVersion >= 1 && nEditOffset >= 1) {
        in.Seek(static_cast<uint64_t>(nEditOffset));
        ReadEditBlock(in);
    }
}

// QPX header, 60 bytes:
//   0 int32 stitch offset (>= 80 + 8N, within the file)   4 int32 -   8 int32 "ENHANCE" offset
//   12 int32 data block offset   16 14 bytes -   30 byte option marker (0x40: byte 31 valid)
//   31 signed byte design option   32 int32 colour count N   36 int32 stitch word count W
//   40 int32 hoop code   44 16 bytes -
// Then the two tables, the custom thread block (its result ignored), the maker tag with V and P,
// the stitch stream, and the optional "ENHANCE" block, data block and edit block (V == 1).
void CEmbFile::ReadQpx(CByteCursor& in, CEmbData& data)
{
    BYTE header[QPX_HEADER_SIZE];
    if (in.Read(header, QPX_HEADER_SIZE) != QPX_HEADER_SIZE)
        Fail(feBadHeader, "header shorter than 60 bytes");
    const uint32_t nOffset = CByteCursor::UInt32At(header);
    const int32_t nEnhanceOffset = CByteCursor::Int32At(header + 8);
    const int32_t nDataOffset = CByteCursor::Int32At(header + 12);
    const BYTE bMarker = header[30];
    const int32_t nOption = static_cast<int8_t>(header[31]);
    const int32_t nColors = CByteCursor::Int32At(header + 32);
    const int32_t nWords = CByteCursor::Int32At(header + 36);
    const int32_t nHoop = CByteCursor::Int32At(header + 40);
    static constexpr HeaderCheckTexts kTexts = {
        "stitch offset (header offset 0) below 80 or beyond the end of the file",
        "colour count (header offset 32) below 1",
        "stitch word count (header offset 36) below 1",
        "stitch word count (header offset 36) below twice the colour count",
        "stitch offset (header offset 0) below 80 + 8 x colour count",
    };
    CheckHeaderCounts(in, nOffset, QPX_MIN_OFFSET, nColors, nWords, kTexts);
    ReadColorTables(in, data, nColors);
    ReadThreadBlock(in, data);
    BYTE tag[8];
    if (in.Read(tag, 8) != 8)
        Fail(feExtension, "maker tag cut short");
    int32_t nVersion = 0;
    int32_t nEditOffset = 0;
    if (std::memcmp(tag, MAKER_TAG, 8) == 0) {
        if (!in.ReadInt32(nVersion) || !in.ReadInt32(nEditOffset))
            Fail(feExtension, "version or edit block offset after the maker tag cut short");
    }
    ReadStitchWords(in, data, nOffset, nWords);
    m_nHoopCode = nHoop;
    if (bMarker == QPX_OPTION_MARKER)
        data.m_nDesignOption = nOption;
    if (nEnhanceOffset > 0) {
        in.Seek(static_cast<uint64_t>(nEnhanceOffset));
        ReadQpxEnhanceBlock(in, data);
    }
    if (nDataOffset > 0) {
        in.Seek(static_cast<uint64_t>(nDataOffset));
        ReadQpxDataBlock(in);
    }
    if (nVersion == 1 && nEditOffset >= 1) {
        in.Seek(static_cast<uint64_t>(nEditOffset));
        ReadEditBlock(in);
    }
}

// QPX "ENHANCE" block: the same header and table as QEF's; an entry of type 0 holds the layout
// values (five int32, four doubles), taken only when the design option is 3.
void CEmbFile::ReadQpxEnhanceBlock(CByteCursor& in, CEmbData& data)
{
    ENHANCEENTRY aEntries[255];
    int nCount = 0;
    if (!ReadEnhanceTable(in, aEntries, nCount))
        return;
    for (int i = 0; i < nCount; ++i) {
        const uint64_t nStart = in.GetPosition();
        if (aEntries[i].nType == 0 && data.m_nDesignOption == QPX_LAYOUT_OPTION) {
            BYTE layout[5 * 4 + 4 * 8];
            if (in.Read(layout, sizeof layout) == sizeof layout) {
                for (int k = 0; k < 5; ++k)
                    m_anQpxLayout[k] = CByteCursor::Int32At(layout + 4 * k);
                for (int k = 0; k < 4; ++k)
                    m_adQpxLayout[k] = CByteCursor::DoubleAt(layout + 20 + 8 * k);
            }
        }
        if (!SeekEntryEnd(in, nStart, aEntries[i].nLength))
            break;
    }
}

// QPX data block: "QPX" and a zero byte, int32 length L, int32 A, int32 B, then L bytes; kept
// only when read whole.
void CEmbFile::ReadQpxDataBlock(CByteCursor& in)
{
    BYTE header[16];
    if (in.Read(header, 16) != 16 || std::memcmp(header, QPX_TAG, 4) != 0)
        return;
    const int32_t nLength = CByteCursor::Int32At(header + 4);
    if (nLength < 0 || static_cast<uint64_t>(nLength) > in.GetRemaining())
        return;
    BYTE* pData = new (std::nothrow) BYTE[nLength > 0 ? static_cast<size_t>(nLength) : 1];
    if (!pData)
        return;
    if (in.Read(pData, static_cast<uint64_t>(nLength)) != static_cast<size_t>(nLength)) {
        delete[] pData;
        return;
    }
    FreeQpxData();
    m_pQpxData = pData;
    m_nQpxDataLength = nLength;
    m_nQpxValueA = CByteCursor::Int32At(header + 8);
    m_nQpxValueB = CByteCursor::Int32At(header + 12);
}

// Edit block (QEF+ and QPX): int32 version 0..31, int32 item count C >= 1, int32 record size
// S >= 36, uint32 checksum (sum of all payload bytes), C records of S bytes (nine int32: A,
// payload length, x offset, y offset, scale, B, C, D, flag; the rest of a longer record is
// skipped), then the payloads in item order. Any fault leaves no items.
void CEmbFile::ReadEditBlock(CByteCursor& in)
{
    FreeEditItems();
    BYTE header[16];
    if (in.Read(header, 16) != 16)
        return;
    const int32_t nVersion = CByteCursor::Int32At(header);
    const int32_t nItems = CByteCursor::Int32At(header + 4);
    const int32_t nRecordSize = CByteCursor::Int32At(header + 8);
    const uint32_t nChecksum = CByteCursor::UInt32At(header + 12);
    if (nVersion < 0 || nVersion > EDIT_VERSION_MAX || nItems < 1 || nRecordSize < EDIT_RECORD_MIN)
        return;
    // The records alone must fit in the file before any item is allocated.
    if (static_cast<uint64_t>(nItems) * static_cast<uint64_t>(nRecordSize) > in.GetRemaining())
        return;
    if (!AllocEditData(nItems))
        return;
    for (int32_t i = 0; i < nItems; ++i) {
        BYTE record[EDIT_RECORD_MIN];
        if (in.Read(record, EDIT_RECORD_MIN) != EDIT_RECORD_MIN) {
            FreeEditItems();
            return;
        }
        in.Seek(in.GetPosition() + static_cast<uint64_t>(nRecordSize - EDIT_RECORD_MIN));
        CEmbEditData& item = m_pEditItems[i];
        item.m_nValueA = CByteCursor::Int32At(record);
        item.m_nPayloadLength = CByteCursor::Int32At(record + 4);
        item.m_nOffsetX = CByteCursor::Int32At(record + 8);
        item.m_nOffsetY = CByteCursor::Int32At(record + 12);
        item.m_nScale = CByteCursor::Int32At(record + 16);
        item.m_nValueB = CByteCursor::Int32At(record + 20);
        item.m_nValueC = CByteCursor::Int32At(record + 24);
        item.m_nValueD = CByteCursor::Int32At(record + 28);
        item.m_nFlag = CByteCursor::Int32At(record + 32);
    }
    uint32_t nSum = 0;
    for (int32_t i = 0; i < nItems; ++i) {
        CEmbEditData& item = m_pEditItems[i];
        const int32_t nLength = item.m_nPayloadLength;
        if (nLength < 0 || static_cast<uint64_t>(nLength) > in.GetRemaining() || !item.AllocPayload(nLength) ||
            in.Read(item.m_pPayload, static_cast<uint64_t>(nLength)) != static_cast<size_t>(nLength)) {
            FreeEditItems();
            return;
        }
        for (int32_t k = 0; k < nLength; ++k)
            nSum += item.m_pPayload[k];
    }
    if (nSum != nChecksum) {
        FreeEditItems();
        return;
    }
    m_nEditItemCount = nItems;
}

namespace {

// The move of every value of each DST byte, by the standard bit weights (bits 0..7 of byte 0: x +1,
// x -1, x +9, x -9, y -9, y +9, y -1, y +1; of byte 1 the same times 3; byte 2 bits 2..5: x +81,
// x -81, y -81, y +81). Tables keep decoding free of branches.
struct DSTBYTEMOVES {
    int8_t dx[3][256];
    int8_t dy[3][256];
};

constexpr DSTBYTEMOVES MakeDstByteMoves()
{
    DSTBYTEMOVES t{};
    constexpr int weights[3][8][2] = {
        {{1, 0}, {-1, 0}, {9, 0}, {-9, 0}, {0, -9}, {0, 9}, {0, -1}, {0, 1}},
        {{3, 0}, {-3, 0}, {27, 0}, {-27, 0}, {0, -27}, {0, 27}, {0, -3}, {0, 3}},
        {{0, 0}, {0, 0}, {81, 0}, {-81, 0}, {0, -81}, {0, 81}, {0, 0}, {0, 0}},
    };
    for (int b = 0; b < 3; ++b) {
        for (int v = 0; v < 256; ++v) {
            int dx = 0, dy = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (v & (1 << bit)) {
                    dx += weights[b][bit][0];
                    dy += weights[b][bit][1];
                }
            }
            t.dx[b][v] = static_cast<int8_t>(dx);
            t.dy[b][v] = static_cast<int8_t>(dy);
        }
    }
    return t;
}

constexpr DSTBYTEMOVES g_dstByteMoves = MakeDstByteMoves();

} // namespace

void CEmbFile::DecodeDstRecord(BYTE b0, BYTE b1, BYTE b2, int& dx, int& dy)
{
    const DSTBYTEMOVES& t = g_dstByteMoves;
    dx = t.dx[0][b0] + t.dx[1][b1] + t.dx[2][b2];
    dy = t.dy[0][b0] + t.dy[1][b1] + t.dy[2][b2];
}

namespace {

enum DstRecordKind { drStitch, drJump, drColorChange, drEnd };

DstRecordKind DstKind(const BYTE* p)
{
    switch (p[2] & 0xC0) {
    case 0x80:
        return drJump;
    case 0xC0:
        if ((p[0] & 0x30) == 0 && (p[1] & 0x30) == 0 && (p[2] & 0x30) == 0x30)
            return drEnd;
        return drColorChange;
    default:
        return drStitch;
    }
}

} // namespace

// Tajima DST: a 512-byte header (not interpreted), then 3-byte records up to the end record.
// A first record that is not a jump gets a jump with a zero move in front; a colour change
// becomes colour change, zero move, jump, move. The hoop follows from the extents reached.
void CEmbFile::ReadDst(CByteCursor& in, CEmbData& data)
{
    const uint64_t nFileLength = in.GetLength();
    if (nFileLength <= DST_HEADER_SIZE)
        Fail(feBadHeader, "DST file of 512 bytes or less");
    in.Seek(DST_HEADER_SIZE);
    const uint64_t nLength = in.GetRemaining();
    const BYTE* p = in.Peek();
    if (nLength < 3)
        Fail(feDstData, "DST data shorter than one record");

    const bool bFirstIsJump = DstKind(p) == drJump;
    uint64_t nCount = bFirstIsJump ? 0 : 2;
    uint64_t nColorChanges = 0;
    for (uint64_t pos = 0; pos < nLength; pos += 3) {
        if (pos + 3 > nLength)
            Fail(feDstData, "DST record runs past the end of the file before the end record");
        const DstRecordKind kind = DstKind(p + pos);
        if (kind == drEnd)
            break;
        if (kind == drStitch)
            nCount += 1;
        else if (kind == drJump)
            nCount += 2;
        else {
            nCount += 4;
            ++nColorChanges;
        }
    }
    const uint64_t nWords = nCount + 1;
    if (nWords > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) ||
        nColorChanges + 1 > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        Fail(feNoMemory, "DST design too large");
    if (!data.AllocStitchWords(static_cast<int>(nWords)))
        Fail(feNoMemory, "stitch buffer could not be allocated");
    if (!data.AllocLayers(static_cast<int>(nColorChanges + 1)))
        Fail(feNoMemory, "colour blocks could not be allocated");
    for (int k = 0; k < data.m_nColorBlockCount; ++k)
        data.m_pColorBlocks[k].m_nPaletteIndex = 3 + (k % 76);

    STITCHWORD* pOut = data.m_pStitchWords;
    auto put = [&](BYTE b0, BYTE b1) {
        pOut->bX = b0;
        pOut->bY = b1;
        ++pOut;
    };
    if (!bFirstIsJump) {
        put(STITCH_COMMAND, SC_JUMP);
        put(0, 0);
    }
    int64_t x = 0, y = 0, nMinX = 0, nMaxX = 0, nMinY = 0, nMaxY = 0;
    for (uint64_t pos = 0; pos + 3 <= nLength; pos += 3) {
        const BYTE* r = p + pos;
        const DstRecordKind kind = DstKind(r);
        if (kind == drEnd) {
            put(STITCH_COMMAND, SC_END);
            break;
        }
        int dx, dy;
        DecodeDstRecord(r[0], r[1], r[2], dx, dy);
        const BYTE bX = static_cast<BYTE>(static_cast<int8_t>(dx));
        const BYTE bY = static_cast<BYTE>(static_cast<int8_t>(dy));
        if (kind == drJump) {
            put(STITCH_COMMAND, SC_JUMP);
        } else if (kind == drColorChange) {
            put(STITCH_COMMAND, SC_COLOR_CHANGE);
            put(0, 0);
            put(STITCH_COMMAND, SC_JUMP);
        }
        put(bX, bY);
        x += dx;
        y += dy;
        if (x < nMinX) nMinX = x;
        if (x > nMaxX) nMaxX = x;
        if (y < nMinY) nMinY = y;
        if (y > nMaxY) nMaxY = y;
    }
    const int64_t nLeft = -nMinX, nUp = nMaxY, nRight = nMaxX, nDown = -nMinY;
    if (nLeft <= 500 && nUp <= 200 && nRight <= 500 && nDown <= 200)
        m_nHoopCode = 30;
    else if (nLeft <= 700 && nUp <= 700 && nRight <= 700 && nDown <= 700)
        m_nHoopCode = 15;
    else if (nLeft <= 1150 && nUp <= 1150 && nRight <= 1150 && nDown <= 1150)
        m_nHoopCode = 28;
    else
        m_nHoopCode = 29;
    if (!data.Validate())
        Fail(feBadStitches, "the stitch words do not form a valid design");
}
