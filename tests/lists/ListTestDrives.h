// Drives and files for the list tests: the harness's temporary drive map with C: fixed, D: an
// optical drive without its disc and E: a removable drive labelled "USBSTICK" (folders "c" and
// "USBSTICK" below the temporary directory), and the files the lists read: designs written
// natively (.qef, .qef+, .qpx) from a corpus design, STX patterns from the fixture writer, and
// anything else as raw bytes.
#pragma once

#include "tests/support/SampleDesigns.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

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
        Write(rel, tavren::test::CorpusDesign(corpusName, rel.substr(rel.rfind('.'))));
    }
    void WriteStx(const std::string& rel, int nPoints = 8) const { Write(rel, fixture::MakeStx(fixture::WellFormedStx(nPoints))); }
};
