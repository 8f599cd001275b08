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
        auto load = reinterpret_cast<bool (*)()>(m.Symbol("_Z15LoadMachineLinkv"));
        ASSERT_TRUE(load);
        EXPECT_FALSE(load());
    }
    fs::remove_all(dir);
}
