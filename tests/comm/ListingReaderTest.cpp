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
    // One entry: length, kind (-1 folder), 8 unread bytes, the name and its zero (unless bZero is
    // false), padded to nLength (0: just long enough).
    CListing& Entry(const std::string& strName, bool bFolder, uint32_t nLength = 0, bool bZero = true)
    {
        const uint32_t nNatural = 16 + static_cast<uint32_t>(strName.size()) + bZero;
        for (uint32_t v : {nLength ? nLength : nNatural, bFolder ? 0xFFFFFFFFu : 0u, 0x11111111u /* size */, 0x22222222u /* time */})
            Put32(v);
        m_bytes.insert(m_bytes.end(), strName.begin(), strName.end());
        m_bytes.resize(m_bytes.size() + (nLength ? nLength : nNatural) - 16 - strName.size());
        return *this;
    }
    CListing& Raw(std::initializer_list<uint8_t> bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }
    CListing& Put32(uint32_t v) { return Raw({uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
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

// Every shape of listing: what is read (folders marked "+", each entry after its stored length,
// names from the machine's code page), and whether the reader calls it broken.
TEST(ListingReader, WholeAndBrokenListings)
{
    auto lengthAt4 = [](CListing l, uint8_t nLength) {
        l.m_bytes[4] = nLength;  // the first entry's length
        return l.m_bytes;
    };
    CListing oversized(2);  // the second entry's 18 bytes claim far more
    oversized.Entry("a.qef", false).Put32(0x7FFFFFF0u);
    oversized.Raw({0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 'b', 0});
    struct Case { const char* what; std::vector<uint8_t> bytes; std::vector<std::string> names; bool bBroken; };
    const Case cases[] = {
        {"folders and files, each after its length",
         CListing(3).Entry("Flowers", true, 28).Entry("rose.qef", false, 40).Entry("\xE9t\xE9.qef", false).m_bytes,
         {"+Flowers", "rose.qef", "\xC3\xA9t\xC3\xA9.qef"}, false},
        {"no bytes", {}, {}, false},
        {"a negative count is none", CListing(-5).Entry("x", false).m_bytes, {}, false},
        {"count past the end", CListing(4).Entry("a.qef", false).Entry("b.qef", false).m_bytes, {"a.qef", "b.qef"}, true},
        {"zero length", lengthAt4(CListing(2).Entry("a.qef", false).Entry("b.qef", false), 0), {}, true},
        {"length shorter than the head", lengthAt4(CListing(1).Entry("a.qef", false), 15), {}, true},
        {"length far past the end", oversized.m_bytes, {"a.qef"}, true},
        {"head cut short", CListing(1).Raw({20, 0, 0, 0, 0, 0}).m_bytes, {}, true},
        {"name without its zero", CListing(1).Entry("abc", false, 0, false).m_bytes, {"abc"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool bBroken = !c.bBroken;
        EXPECT_EQ(ReadAll(c.bytes, &bBroken), c.names);
        EXPECT_EQ(bBroken, c.bBroken);
        EXPECT_EQ(CListingReader::IsWellFormed(c.bytes.empty() ? nullptr : c.bytes.data(), static_cast<uint32_t>(c.bytes.size())),
                  !c.bBroken);
    }
}
