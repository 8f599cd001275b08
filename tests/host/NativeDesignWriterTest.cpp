// The native writer over a design already read: what the reader kept of each colour block (palette
// row, thread type, custom thread with its further bytes) is what the written file holds.
#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "host/NativeDesignWriter.h"
#include "tests/design/FixtureWriter.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(NativeDesignWriter, DesignReadAndWrittenAgainKeepsItsBlocksInEveryFormat)
{
    fixture::DesignLayout layout = fixture::LayoutFromStitches(
        {fixture::Sew(10, 0), fixture::ChangeColor(0, 5), fixture::Sew(-10, 0), fixture::EndDesign()});
    layout.threadTypes = {7, 21};
    layout.customThreads = {{1, 200, 100, 50, MARKER_PLACEMENT, 3, fixture::Bytes(32, 0x11)}};
    const fixture::Bytes source = fixture::MakeQefPlus(layout);
    CEmbFile reader(CEmbFile::dftQefPlus);
    CEmbData original;
    ASSERT_TRUE(reader.ReadBuffer(source.data(), source.size(), original));

    for (int nType : {CEmbFile::dftQef, CEmbFile::dftQefPlus, CEmbFile::dftQpx}) {
        SCOPED_TRACE(nType);
        native_design::Bytes bytes;
        ASSERT_TRUE(native_design::MakeNativeFile(native_design::LayoutFromDesign(original, 28), nType, bytes));
        CEmbFile file(nType);
        CEmbData copy;
        ASSERT_TRUE(file.ReadBuffer(bytes.data(), bytes.size(), copy));
        EXPECT_EQ(file.GetHoopCode(), 28);
        ASSERT_EQ(copy.m_nColorBlockCount, 2);
        EXPECT_EQ(copy.m_pColorBlocks[0].m_nThreadType, 7);
        EXPECT_EQ(copy.m_pColorBlocks[1].m_nThreadType, 21);
        EXPECT_EQ(copy.m_pColorBlocks[1].m_nPaletteIndex, 2);
        if (nType == CEmbFile::dftQef)
            continue;  // QEF carries custom threads only in an extension block
        EXPECT_FALSE(copy.m_pColorBlocks[0].m_bCustom);
        ASSERT_TRUE(copy.m_pColorBlocks[1].m_bCustom);
        const CUSTOMTHREAD& t = copy.m_pColorBlocks[1].m_customThread;
        EXPECT_EQ(t.bRed, 200);
        EXPECT_EQ(t.bMarker, MARKER_PLACEMENT);
        EXPECT_EQ(t.nMarkDirection, 3);
        EXPECT_EQ(t.abReserved[31], 0x11);
    }
    native_design::Bytes none{1};
    EXPECT_FALSE(native_design::MakeNativeFile(native_design::LayoutFromDesign(original), CEmbFile::dftDst, none));
}
