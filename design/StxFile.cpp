#include "design/StxFile.h"

#include "design/ByteCursor.h"
#include "platform/afx/File.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr BYTE STX_COMMAND = 0x80;
constexpr BYTE STX_OPEN = 0x03;
constexpr BYTE STX_CLOSE = 0x00;
constexpr BYTE STX_COUNTED = 0x04;
constexpr BYTE STX_END = 0xFF;
constexpr int STX_CENTRE = 22;  // needle position of no swing
constexpr int MIN_TRAILING_POINTS = 3;

} // namespace

CStxFile::~CStxFile()
{
    FreeBuffers();
}

void CStxFile::FreeBuffers()
{
    delete[] m_pRecords;
    m_pRecords = nullptr;
    m_nRecordCount = 0;
    delete[] m_pExtra1;
    m_pExtra1 = nullptr;
    m_nExtra1 = 0;
    delete[] m_pExtra2;
    m_pExtra2 = nullptr;
    m_nExtra2 = 0;
}

bool CStxFile::ReadFile(const char16_t* pszPath)
{
    if (!pszPath)
        return false;
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::typeBinary))
        return false;
    bool bResult = Read(file);
    try {
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
    }
    return bResult;
}

bool CStxFile::Read(CFile& file)
{
    try {
        if (file.GetPosition() != 0)
            file.SeekToBegin();
        // A pattern is at most 68 + 65535 x 4 bytes; nothing after that is read.
        constexpr size_t nMax = STX_HEADER_SIZE + 65535u * 4u;
        const ULONGLONG nLength = file.GetLength();
        const size_t nWant = nLength < nMax ? static_cast<size_t>(nLength) : nMax;
        std::vector<BYTE> bytes(nWant);
        size_t nGot = 0;
        while (nGot < nWant) {
            UINT n = file.Read(bytes.data() + nGot, static_cast<UINT>(nWant - nGot));
            if (n == 0)
                break;
            nGot += n;
        }
        return ReadBuffer(bytes.data(), nGot);
    } catch (CFileException* e) {
        e->Delete();
        m_bBroken = 1;
        return false;
    }
}

bool CStxFile::ReadBuffer(const BYTE* pData, size_t nLength)
{
    m_aOutline.RemoveAll();
    m_nWidth = 1;
    m_nLength = 1;
    m_nMinFeed = 0;
    m_bBroken = 0;
    m_nLastFailure = sfNone;
    CByteCursor in(pData, nLength);
    try {
        if (in.Read(m_abHeader, STX_HEADER_SIZE) != STX_HEADER_SIZE)
            throw sfShortHeader;
        if (CByteCursor::UInt16At(m_abHeader + 36) != STX_HEADER_SIZE)
            throw sfHeaderSize;
        FreeBuffers();
        const int nRecords = CByteCursor::UInt16At(m_abHeader + 40);
        const size_t nBytes = static_cast<size_t>(nRecords) * 4;
        if (nRecords > 0) {
            m_pRecords = new (std::nothrow) BYTE[nBytes];
            if (!m_pRecords)
                throw sfRecords;
        }
        m_nRecordCount = nRecords;
        if (in.Read(m_pRecords, nBytes) != nBytes)
            throw sfRecords;
    } catch (StxReadFailure nFailure) {
        m_nLastFailure = nFailure;
        m_bBroken = 1;
        return false;
    }
    Parse();
    return true;
}

void CStxFile::Parse()
{
    const int nRecords = m_nRecordCount;
    const int nWidthNum = CByteCursor::UInt16At(m_abHeader + 46);
    const int nWidthDen = CByteCursor::UInt16At(m_abHeader + 48);
    const unsigned nLengthNum = CByteCursor::UInt16At(m_abHeader + 52);
    const unsigned nLengthDen = CByteCursor::UInt16At(m_abHeader + 54);

    std::vector<int> aSwing;          // A
    std::vector<int> aFeed{0};        // B, starting with one 0
    int nFirstCode = -1;
    int nLastCode = -1;
    int nOpens = 0, nCloses = 0, nCounted = 0, nTrailing = 0;
    bool bCollecting = true;

    for (int i = 0; i < nRecords; ++i) {
        const BYTE* pRec = m_pRecords + static_cast<size_t>(i) * 4;
        if (pRec[0] == STX_COMMAND) {
            const BYTE code = pRec[1];
            // A first command in the second half of the records cannot be the opening one.
            if (nFirstCode < 0)
                nFirstCode = (i + 1 > (nRecords - 1) / 2) ? 1 : code;
            if (code != STX_END)
                nLastCode = code;
            if (code == STX_OPEN)
                ++nOpens;
            else if (code == STX_COUNTED)
                ++nCounted;
            else if (code == STX_CLOSE) {
                ++nCloses;
                bCollecting = false;
            } else if (code == STX_END)
                break;
            continue;
        }
        if (!bCollecting) {
            ++nTrailing;
            continue;
        }
        int a = STX_CENTRE - static_cast<int8_t>(pRec[0]);
        if (nWidthDen != 0)
            a = ((nWidthNum * a * 10) / nWidthDen) / 10;
        int b = 0;
        if (nLengthDen != 0) {
            const unsigned r = (nLengthNum * 10u) / nLengthDen;
            const int r2 = static_cast<int>(r > 3 ? r : r + 1);
            b = (r2 * static_cast<int8_t>(pRec[1])) / 10;
        }
        aSwing.push_back(a);
        aFeed.push_back(b);
    }

    if (nOpens > 1 || nCloses > 1 || nCounted > 1 || nFirstCode != STX_OPEN || nLastCode != STX_CLOSE ||
        nTrailing < MIN_TRAILING_POINTS || nRecords == 0)
        m_bBroken = 1;

    // Feed positions: the feed of a point moves the next one.
    // Summed in 64 bits: 65535 records of the largest feed would overflow 32.
    std::vector<int64_t> aPos(aFeed.size());
    int64_t nSum = 0;
    for (size_t k = 0; k < aFeed.size(); ++k) {
        nSum += aFeed[k];
        aPos[k] = nSum;
    }
    m_aOutline.SetSize(static_cast<CArray<CPoint>::INT_PTR>(aSwing.size()));
    for (size_t i = 0; i < aSwing.size(); ++i)
        m_aOutline[static_cast<CArray<CPoint>::INT_PTR>(i)] = CPoint(aSwing[i], static_cast<int32_t>(aPos[i]));

    if (aSwing.empty())
        aSwing.push_back(0);
    const auto [minA, maxA] = std::minmax_element(aSwing.begin(), aSwing.end());
    const auto [minC, maxC] = std::minmax_element(aPos.begin(), aPos.end());
    m_nWidth = *maxA - *minA;
    if (m_nWidth == 0)
        m_nWidth = 1;
    m_nLength = static_cast<int32_t>(*maxC - *minC);
    if (m_nLength == 0)
        m_nLength = 1;
    m_nMinFeed = static_cast<int32_t>(*minC);
}
