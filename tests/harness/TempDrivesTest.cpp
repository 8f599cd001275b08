// The temporary drive map: named drives of each type as the file calls see them, an optical drive
// without a medium, and the map as it was afterwards.
#include "tests/support/TempDrives.h"

#include "platform/base/WinError.h"
#include "platform/file/FileApi.h"
#include "platform/file/Shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(TempDrives, NamedDrivesOfEachTypeAndAnEmptyOpticalDrive)
{
    unsetenv("TAVREN_DRIVES");
    tavren::DriveMap::Instance().Reload();
    {
        tavren::test::TempDrives drives(
            {{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "STICK"}, {u'Q', DRIVE_CDROM, "", false}});
        ASSERT_NE(std::getenv("TAVREN_DRIVES"), nullptr);
        EXPECT_EQ(std::string(std::getenv("TAVREN_DRIVES")), drives.Setting());
        EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 4) | (1u << 16));
        EXPECT_EQ(GetDriveTypeW(u"C:\\"), DRIVE_FIXED);
        EXPECT_EQ(GetDriveTypeW(u"E:\\"), DRIVE_REMOVABLE);
        EXPECT_EQ(GetDriveTypeW(u"Q:\\"), DRIVE_CDROM);
        EXPECT_EQ(drives.Folder(u'E'), drives.Host("STICK"));
        EXPECT_EQ(drives.Folder(u'C'), drives.Host("c"));

        SHFILEINFOW info{};
        ASSERT_NE(SHGetFileInfoW(u"E:\\", 0, &info, sizeof info, SHGFI_DISPLAYNAME), 0u);
        EXPECT_EQ(std::u16string(info.szDisplayName), u"STICK (E:)");

        ULARGE_INTEGER free{};
        EXPECT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &free, nullptr, nullptr));
        EXPECT_FALSE(GetDiskFreeSpaceExW(u"Q:\\", &free, nullptr, nullptr)) << "no medium";
        EXPECT_EQ(GetLastError(), ERROR_NOT_READY);

        drives.Write("STICK/EMB/rose.qef", "ROSE");
        EXPECT_NE(GetFileAttributesW(u"E:\\EMB\\rose.qef"), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(std::filesystem::exists(drives.Root()));
    }
    EXPECT_EQ(std::getenv("TAVREN_DRIVES"), nullptr) << "the variable is restored";
    auto c = tavren::DriveMap::Instance().Find(u'C');
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->hostRoot, "/") << "the default map is back";
    EXPECT_FALSE(tavren::DriveMap::Instance().Find(u'Q').has_value());
}
