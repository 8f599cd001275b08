// A helper shared by the design tests: a design built straight from words.
#pragma once

#include "design/EmbData.h"
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

} // namespace designtest
