// A run whose machine-link library cannot be loaded ends with -1 and calls nothing. The test runs
// itself again from a folder that holds the module but no libQuorvel.so.
#include "tests/comm/CommTestSupport.h"
#include "tests/support/Watchdog.h"

#include "comm/TransferDlg.h"
#include "platform/afx/ModuleState.h"
#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace commtest;
namespace fs = std::filesystem;

TEST(LinkMissing, RunEndsWithMinusOne)
{
    tavren::test::Watchdog watchdog; // in the child, around the dialog; here, around waiting for the child
    if (const char* psz = std::getenv("TAVREN_COMM_NO_LINK"); psz && *psz == '1') {
        AFX_MANAGE_STATE(tavren::ModuleStateFromAddress(&MachineLink()));
        CTransferDlg dlg(0, 1, u"\\EMB", rkList);
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(dlg.m_nResult, -1);
        EXPECT_TRUE(MachineLink().IsEmpty() && dlg.m_pResults->GetSize() == 0);
        return;
    }
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path dir = tavren::test::MakeTempDir("tavren-nolink");
    for (const auto& entry : fs::directory_iterator(self.parent_path())) {
        const std::string strName = entry.path().filename().string();
        if (strName.find(".so") != std::string::npos && strName.rfind("libQuorvel", 0) != 0)
            fs::copy_file(entry.path(), dir / strName);
    }
    fs::copy_file(self, dir / self.filename());
    const std::string strCommand = "TAVREN_COMM_NO_LINK=1 LD_LIBRARY_PATH= '" + (dir / self.filename()).string() +
                                   "' --gtest_filter=LinkMissing.RunEndsWithMinusOne >'" + (dir / "out.txt").string() +
                                   "' 2>&1";
    const int nStatus = std::system(strCommand.c_str());
    std::ifstream in(dir / "out.txt");
    const std::string strOutput((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(nStatus, 0) << strOutput;
    EXPECT_NE(strOutput.find("[  PASSED  ] 1 test"), std::string::npos) << strOutput;
    std::error_code ec;
    fs::remove_all(dir, ec);
}
