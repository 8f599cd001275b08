// Drives and files for the list tests: the harness's temporary drive map with C: fixed, D: an
// optical drive without its disc and E: a removable drive labelled "USBSTICK" (folders "c" and
// "USBSTICK" below the temporary directory), and the files the lists read: designs written
// natively (.qef, .qef+, .qpx) from a corpus design, STX patterns from the fixture writer, and
// anything else as raw bytes.
#pragma once

#include "tests/design/FixtureWriter.h"
#include "tests/support/TempDrives.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

class CListTestDrives : public tavren::test::TempDrives {
public:
    CListTestDrives()
        : TempDrives({{u'C', DRIVE_FIXED}, {u'D', DRIVE_CDROM, "", false}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}})
    {
    }

    using TempDrives::Write;
    // rel is below the temporary root: "c/Designs/rose.qef" is C:\Designs\rose.qef.
    void MakeFolder(const std::string& rel) const { std::filesystem::create_directories(Host(rel)); }
    void Write(const std::string& rel, const fixture::Bytes& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(Host(rel)).parent_path());
        ASSERT_TRUE(fixture::WriteFile(Host(rel), bytes)) << rel;
    }

    // A readable design in the format its extension names (.qef, .qef+, .qpx; case ignored),
    // made from the corpus design corpusName.
    void WriteDesign(const std::string& rel, const std::string& corpusName = "Star.DST") const
    {
        CEmbData design;
        ReadCorpus(corpusName, design);
        const fixture::DesignLayout layout = fixture::LayoutFromDesign(design);
        std::string ext = rel.substr(rel.rfind('.'));
        for (char& c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".qef+")
            Write(rel, fixture::MakeQefPlus(layout));
        else if (ext == ".qpx")
            Write(rel, fixture::MakeQpx(layout));
        else
            Write(rel, fixture::MakeQef(layout));
    }
    void WriteStx(const std::string& rel, int nPoints = 8) const { Write(rel, fixture::MakeStx(fixture::WellFormedStx(nPoints))); }

    static std::string CorpusPath(const std::string& name)
    {
        const char* dir = std::getenv("TAVREN_SOURCE_DIR");
        return std::string(dir ? dir : ".") + "/tests/fixtures/corpus/" + name;
    }
    // A corpus design, read as the module reads it.
    static void ReadCorpus(const std::string& name, CEmbData& design)
    {
        const fixture::Bytes bytes = fixture::ReadWholeFile(CorpusPath(name));
        CEmbFile file(CEmbFile::dftDst);
        EXPECT_TRUE(!bytes.empty() && file.ReadBuffer(bytes.data(), bytes.size(), design)) << name;
    }
};
