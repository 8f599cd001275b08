#include "tests/support/ModuleFixture.h"

namespace tavren::test {

ModuleFixture::ModuleFixture(Parts parts) : m_parts(std::move(parts)), m_watchdog(m_parts.dwWatchdog)
{
    // A machine that outlived an aborted program would hold the socket of the next run's machine.
    m_watchdog.SetLastWords([this] { if (m_pMachine) m_pMachine->Stop(); });
}

// The members go in reverse order: the module, the machine, the drives, the watchdog last.
ModuleFixture::~ModuleFixture() = default;

void ModuleFixture::SetUp()
{
    if (m_parts.drives)
        m_pDrives = std::make_unique<TempDrives>(*m_parts.drives);
    if (m_parts.machineSettings) {
        m_pMachine = std::make_unique<EmulatedMachine>();
        ASSERT_TRUE(m_pMachine->Start(*m_parts.machineSettings)) << "quorvel-machine did not start";
    }
    if (m_parts.bModule) {
        m_pModule = std::make_unique<LoadedModule>();
        ASSERT_TRUE(m_pModule->Loaded()) << m_pModule->Error();
    }
}

void ModuleFixture::TearDown()
{
    m_pModule.reset();
    m_pMachine.reset();
    m_pDrives.reset();
}

} // namespace tavren::test
