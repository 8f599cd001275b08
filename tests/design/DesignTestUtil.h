// Helpers shared by the design tests: a design built straight from words, and reading bytes
// through a memory file as the callers do.
#pragma once

#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "platform/afx/MemFile.h"
#include "tests/design/FixtureWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace designtest {

// A design holding the given words and nBlocks default colour blocks (not yet validated).
inline void LoadWords(CEmbData& data, const fixture::Bytes& words, int nBlocks)
{
    data.Reset();
    ASSERT_TRUE(data.AllocLayers(nBlocks));
    ASSERT_TRUE(data.AllocStitchWords(static_cast<int>(words.size() / 2)));
    std::memcpy(data.m_pStitchWords, words.data(), words.size());
}

// Reads bytes of the given type through a memory file.
inline bool ReadBytes(CEmbFile& file, int nType, const fixture::Bytes& bytes, CEmbData& data)
{
    file.SetFileType(nType);
    fixture::Bytes copy = bytes;
    CMemFile mem(copy.data(), static_cast<UINT>(copy.size()));
    return file.Read(mem, data);
}

} // namespace designtest
