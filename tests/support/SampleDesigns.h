// The sample designs of tests/fixtures/corpus as the list and dialog tests use them: read as the
// module reads a design, or written natively as a host hands one over. Programs that include this
// link the design library and the fixtures' writer.
#pragma once

#include "tests/design/FixtureWriter.h"
#include "tests/support/TestFiles.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace tavren::test {

// A corpus design (Star.DST, ...), read as the module reads it.
inline void ReadCorpus(const std::string& name, CEmbData& design)
{
    const fixture::Bytes bytes = fixture::ReadWholeFile(SourceDir() + "/tests/fixtures/corpus/" + name);
    CEmbFile file(CEmbFile::dftDst);
    EXPECT_TRUE(!bytes.empty() && file.ReadBuffer(bytes.data(), bytes.size(), design)) << name;
}

// A corpus design written natively, in the format the extension names (.qef, .qef+, .qpx; case
// ignored).
inline fixture::Bytes CorpusDesign(const std::string& name = "Star.DST", std::string ext = ".qef")
{
    CEmbData design;
    ReadCorpus(name, design);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const fixture::DesignLayout layout = fixture::LayoutFromDesign(design);
    return ext == ".qef+" ? fixture::MakeQefPlus(layout) : ext == ".qpx" ? fixture::MakeQpx(layout) : fixture::MakeQef(layout);
}

} // namespace tavren::test
