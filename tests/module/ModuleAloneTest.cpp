// The module copied into a folder of its own, with the platform library but without the language
// module and the machine link: both are then missing, as on a PC where they were not installed.
#include "tests/support/LoadedModule.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(ModuleAlone, MissingLanguageModuleAndMachineLinkAreRefusedQuietly)
{
    fs::path dir = tavren::test::MakeTempDir("tavren-alone");
    for (const char* lib : {"libTavren.so", "libplatform.so"})
        fs::copy_file(fs::path(tavren::test::LoadedModule::BinDir()) / lib, dir / lib);
    {
        tavren::test::LoadedModule m(dir.string());
        ASSERT_TRUE(m.Loaded()) << m.Error();
        EXPECT_FALSE(m.pfnChangeLanguage(1041));
        EXPECT_TRUE(m.pfnChangeLanguage(1033));
        EXPECT_FALSE(m.pfnChangeLanguage(1041));
        // Without the machine link, the machine's targets are refused before any window shows.
        EXPECT_EQ(m.pfnManageStxDialog(0, 0, 1), -1);
        EXPECT_EQ(m.pfnManageDesignDialog(0, 0, 2), -1);
    }
    fs::remove_all(dir);
}
