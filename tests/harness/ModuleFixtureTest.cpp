// The module fixture brings up the parts a test asks for, in order, and nothing else.
#include "tests/support/ModuleFixture.h"

#include "platform/file/FileApi.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class ModuleFixtureAllParts : public tavren::test::ModuleFixture {
protected:
    ModuleFixtureAllParts()
        : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'F', DRIVE_REMOVABLE, "CARD"}})
                               .Machine({"--usb2", "absent"})
                               .Module()
                               .Watchdog(60000))
    {
    }
};

class ModuleFixtureNothing : public tavren::test::ModuleFixture {
protected:
    ModuleFixtureNothing() : ModuleFixture(Parts()) {}
};

} // namespace

TEST_F(ModuleFixtureAllParts, MachineDrivesAndModuleAreUp)
{
    // The drives, as the module's file calls see them.
    EXPECT_EQ(GetDriveTypeW(u"F:\\"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveTypeW(u"E:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(std::string(std::getenv("TAVREN_DRIVES")), Drives().Setting());
    // The machine, with its start-up settings, where the machine link looks for it.
    ASSERT_TRUE(Machine().Running());
    EXPECT_EQ(std::string(std::getenv("QUORVEL_SOCKET")), Machine().SocketPath());
    int rc = -1;
    std::string strState = Machine().Ctl({"show"}, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(strState.find("usb2"), std::string::npos) << strState;
    // The module with its exports.
    ASSERT_TRUE(Module().Loaded());
    ASSERT_NE(Module().pfnChangeLanguage, nullptr);
    ASSERT_NE(Module().pfnComSetDialog, nullptr);
    EXPECT_NE(Module().pfnWriteSendDialog == nullptr, Module().Symbol("WriteSendDialog") != nullptr);
    EXPECT_TRUE(Module().pfnChangeLanguage(1033));
}

TEST_F(ModuleFixtureNothing, LeavesTheDriveMapAndTheMachineAlone)
{
    EXPECT_EQ(std::getenv("TAVREN_DRIVES"), nullptr);
    ASSERT_TRUE(tavren::DriveMap::Instance().Find(u'C').has_value());
    EXPECT_EQ(tavren::DriveMap::Instance().Find(u'C')->hostRoot, "/");
}
