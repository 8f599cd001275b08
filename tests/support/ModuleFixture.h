// The fixture of the dialog and list tests: whatever of an emulated machine, a temporary drive map
// and the module (loaded by dlopen) a test needs, brought up in that order before it and torn down
// in reverse after it, with a watchdog around all of it.
//
//   class WriteDesignTest : public tavren::test::ModuleFixture {
//   protected:
//       WriteDesignTest()
//           : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}})
//                                  .Machine({"--usb2", "absent"})
//                                  .Module())
//       {
//       }
//   };
//   TEST_F(WriteDesignTest, ...)
//   {
//       tavren::ScriptedUser user([](tavren::ScriptedUser& u) { ... });
//       EXPECT_EQ(Module().pfnComSetDialog(0, 0), IDOK);
//       EXPECT_TRUE(user.Finish()) << user.Report();
//   }
//
// The drives come first so that the module finds its drive map; the machine before the module so
// that QUORVEL_SOCKET is set before the machine link reads it. A part that fails to come up fails
// the test before its body runs.
#pragma once

#include "tests/support/EmulatedMachine.h"
#include "tests/support/LoadedModule.h"
#include "tests/support/TempDrives.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavren::test {

class ModuleFixture : public ::testing::Test {
public:
    // What a test needs; nothing by default.
    struct Parts {
        std::optional<std::vector<DriveSpec>> drives;
        std::optional<std::vector<std::string>> machineSettings;
        bool bModule = false;
        DWORD dwWatchdog = 120000;

        // A temporary drive map (C: fixed and E: removable "USBSTICK" unless given).
        Parts& Drives(std::vector<DriveSpec> specs = {{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}})
        {
            drives = std::move(specs);
            return *this;
        }
        // An emulated machine started with these settings (as on its command line).
        Parts& Machine(std::vector<std::string> settings = {})
        {
            machineSettings = std::move(settings);
            return *this;
        }
        // libTavren loaded by dlopen.
        Parts& Module() { bModule = true; return *this; }
        Parts& Watchdog(DWORD dwTimeout) { dwWatchdog = dwTimeout; return *this; }
    };

protected:
    explicit ModuleFixture(Parts parts);
    ~ModuleFixture() override;

    void SetUp() override;
    void TearDown() override;

    // The parts asked for (a test that did not ask for one must not call its accessor).
    TempDrives& Drives() const { return *m_pDrives; }
    EmulatedMachine& Machine() const { return *m_pMachine; }
    LoadedModule& Module() const { return *m_pModule; }

private:
    Parts m_parts;
    // First in, last out: it also guards the tearing down.
    tavren::test::Watchdog m_watchdog;
    std::unique_ptr<TempDrives> m_pDrives;
    std::unique_ptr<EmulatedMachine> m_pMachine;
    std::unique_ptr<LoadedModule> m_pModule;
};

} // namespace tavren::test
