// The listing reader on hand-built listings. Each buffer is a heap vector of exactly the listing's
// size, so a read past the end shows under the address sanitizer.
#include "comm/ListingReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CListing {
public:
    explicit CListing(int32_t nCount) { Put32(static_cast<uint32_t>(nCount)); }
    // One entry: length, kind (-1 folder), 8 unread bytes, the name and its zero, padded to nLength
    // (0: just long enough).
    CListing& Entry(const std::string& strName, bool bFolder, uint32_t nLength = 0)
    {
        const uint32_t nNatural = 16 + static_cast<uint32_t>(strName.size()) + 1;
        const uint32_t nStored = nLength ? nLength : nNatural;
        Put32(nStored);
        Put32(bFolder ? 0xFFFFFFFFu : 0u);
        Put32(0x11111111u); // size
        Put32(0x22222222u); // time
        for (char c : strName)
            m_bytes.push_back(static_cast<uint8_t>(c));
        m_bytes.push_back(0);
        for (uint32_t i = nNatural; i < nStored; ++i)
            m_bytes.push_back(0);
        return *this;
    }
    CListing& Raw(std::initializer_list<uint8_t> bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }
    void Put32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    std::vector<uint8_t> m_bytes;
};

std::vector<std::string> ReadAll(const std::vector<uint8_t>& bytes, bool* pBroken = nullptr)
{
    CListingReader reader(bytes.empty() ? nullptr : bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<std::string> names;
    CListingReader::CEntry entry;
    while (reader.Next(entry))
        names.push_back((entry.m_bFolder ? "+" : "") + entry.m_strName.ToUtf8());
    if (pBroken)
        *pBroken = reader.IsBroken();
    return names;
}

} // namespace

TEST(ListingReader, ReadsFoldersAndFilesFollowingEachLength)
{
    CListing l(3);
    l.Entry("Flowers", true, 28).Entry("rose.qef", false, 40).Entry("\xE9t\xE9.qef", false);
    bool bBroken = true;
    EXPECT_EQ(ReadAll(l.m_bytes, &bBroken), (std::vector<std::string>{"+Flowers", "rose.qef", "\xC3\xA9t\xC3\xA9.qef"}));
    EXPECT_FALSE(bBroken);
    EXPECT_TRUE(CListingReader::IsWellFormed(l.m_bytes.data(), static_cast<uint32_t>(l.m_bytes.size())));
}

TEST(ListingReader, EmptyListingsHaveNoEntriesAndAreNotBroken)
{
    bool bBroken = true;
    EXPECT_TRUE(ReadAll({}, &bBroken).empty());
    EXPECT_FALSE(bBroken);
    EXPECT_TRUE(ReadAll(CListing(0).m_bytes, &bBroken).empty());
    EXPECT_FALSE(bBroken);
    // A negative count means none, whatever follows.
    CListing negative(-5);
    negative.Entry("x", false);
    EXPECT_TRUE(ReadAll(negative.m_bytes, &bBroken).empty());
    EXPECT_FALSE(bBroken);
}

TEST(ListingReader, CountPastTheEndStopsAfterTheLastWholeEntry)
{
    CListing l(4);
    l.Entry("a.qef", false).Entry("b.qef", false);
    bool bBroken = false;
    EXPECT_EQ(ReadAll(l.m_bytes, &bBroken), (std::vector<std::string>{"a.qef", "b.qef"}));
    EXPECT_TRUE(bBroken);
}

TEST(ListingReader, ZeroLengthIsBrokenRatherThanEndless)
{
    CListing l(2);
    l.Entry("a.qef", false, 0).Entry("b.qef", false);
    l.m_bytes[4] = 0; // the first entry's length
    bool bBroken = false;
    EXPECT_TRUE(ReadAll(l.m_bytes, &bBroken).empty());
    EXPECT_TRUE(bBroken);
}

TEST(ListingReader, LengthShorterThanTheHeadIsBroken)
{
    CListing l(1);
    l.Entry("a.qef", false, 0);
    l.m_bytes[4] = 15;
    bool bBroken = false;
    EXPECT_TRUE(ReadAll(l.m_bytes, &bBroken).empty());
    EXPECT_TRUE(bBroken);
}

TEST(ListingReader, OversizedLengthIsBroken)
{
    for (uint32_t nLength : {0x7FFFFFF0u, 0xFFFFFFFFu, 24u + 1u}) {
        CListing l(2);
        l.Entry("a.qef", false).Raw({});
        l.Put32(nLength);
        l.Raw({0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 'b', 0}); // 18 bytes claim nLength
        bool bBroken = false;
        EXPECT_EQ(ReadAll(l.m_bytes, &bBroken), (std::vector<std::string>{"a.qef"})) << nLength;
        EXPECT_TRUE(bBroken);
    }
}

TEST(ListingReader, HeadCutShortIsBroken)
{
    CListing l(1);
    l.Raw({20, 0, 0, 0, 0, 0}); // six bytes of a sixteen-byte head
    bool bBroken = false;
    EXPECT_TRUE(ReadAll(l.m_bytes, &bBroken).empty());
    EXPECT_TRUE(bBroken);
    const std::vector<uint8_t> threeBytes = {1, 0, 0};
    EXPECT_TRUE(ReadAll(threeBytes, &bBroken).empty());
    EXPECT_TRUE(bBroken);
}

TEST(ListingReader, NameWithoutTerminatorEndsWithItsEntry)
{
    CListing l(1);
    l.Put32(16 + 3);
    l.Put32(0);
    l.Put32(0);
    l.Put32(0);
    l.Raw({'a', 'b', 'c'});
    EXPECT_EQ(ReadAll(l.m_bytes), (std::vector<std::string>{"abc"}));
}
