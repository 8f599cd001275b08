#include "platform/kernel/ModuleRegistry.h"

#include <atomic>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

namespace tavren {

namespace {
std::atomic<const ModuleLifecycle*> g_pLifecycle{nullptr};
} // namespace

void SetModuleLifecycle(const ModuleLifecycle* pLifecycle) { g_pLifecycle = pLifecycle; }
const ModuleLifecycle* GetModuleLifecycle() { return g_pLifecycle; }

CModuleRegistry& CModuleRegistry::Get()
{
    // Never destroyed: libraries unload and threads finish after static destructors have run.
    static CModuleRegistry* s_pRegistry = new CModuleRegistry;
    return *s_pRegistry;
}

ModuleRecord* CModuleRegistry::Create(const void* pBase, std::string strPath)
{
    auto pRecord = std::make_unique<ModuleRecord>();
    pRecord->hModule = m_hNext;
    m_hNext += 0x10000;   // spaced like the image bases of a 32-bit process
    pRecord->pBase = pBase;
    pRecord->strPath = std::move(strPath);
    ModuleRecord* p = pRecord.get();
    m_records.push_back(std::move(pRecord));
    m_byBase[pBase] = p;
    m_byHandle[p->hModule] = p;
    return p;
}

static std::string ExecutablePath()
{
    char szPath[4096];
    ssize_t n = readlink("/proc/self/exe", szPath, sizeof szPath - 1);
    return n > 0 ? std::string(szPath, static_cast<size_t>(n)) : std::string();
}

ModuleRecord* CModuleRegistry::RecordFromAddress(const void* pAddress)
{
    Dl_info info{};
    if (pAddress == nullptr || dladdr(pAddress, &info) == 0 || info.dli_fbase == nullptr)
        return nullptr;
    std::lock_guard lock(m_mutex);
    if (ModuleRecord* p = RecordFromBase(info.dli_fbase))
        return p;
    if (m_pExecutable != nullptr && m_pExecutable->pBase == info.dli_fbase)
        return m_pExecutable;
    // A retired record of an object that never really left memory comes back to life.
    for (auto& pRecord : m_records) {
        if (!pRecord->bLive && pRecord->pBase == info.dli_fbase) {
            pRecord->bLive = true;
            pRecord->hModule = m_hNext;
            m_hNext += 0x10000;
            if (const ModuleLifecycle* pLifecycle = GetModuleLifecycle())
                pLifecycle->pfnRevived(pRecord.get());
            m_byBase[pRecord->pBase] = pRecord.get();
            m_byHandle[pRecord->hModule] = pRecord.get();
            return pRecord.get();
        }
    }
    return Create(info.dli_fbase, info.dli_fname ? info.dli_fname : "");
}

ModuleRecord* CModuleRegistry::RecordFromHandle(HMODULE hModule)
{
    auto it = m_byHandle.find(hModule);
    return it == m_byHandle.end() ? nullptr : it->second;
}

ModuleRecord* CModuleRegistry::RecordFromBase(const void* pBase)
{
    auto it = m_byBase.find(pBase);
    return it == m_byBase.end() ? nullptr : it->second;
}

CModuleRegistry::CModuleRegistry()
{
    // The main program's dynamic section lies inside it; dladdr of it gives its mapping.
    void* pSelf = dlopen(nullptr, RTLD_LAZY);
    link_map* pMap = nullptr;
    Dl_info info{};
    if (pSelf != nullptr && dlinfo(pSelf, RTLD_DI_LINKMAP, &pMap) == 0 && pMap != nullptr
        && dladdr(pMap->l_ld, &info) != 0 && info.dli_fbase != nullptr) {
        m_pExecutable = Create(info.dli_fbase, ExecutablePath());
    } else {
        static const char s_chPlaceholder = 0;   // a statically linked program: a record of its own
        m_pExecutable = Create(&s_chPlaceholder, ExecutablePath());
    }
    if (pSelf != nullptr)
        dlclose(pSelf);
}

ModuleRecord* CModuleRegistry::ExecutableRecord()
{
    return m_pExecutable;
}

void CModuleRegistry::Retire(ModuleRecord* pRecord)
{
    if (!pRecord->bLive)
        return;
    pRecord->bLive = false;
    m_byBase.erase(pRecord->pBase);
    m_byHandle.erase(pRecord->hModule);
}

std::vector<ModuleRecord*> CModuleRegistry::LiveRecords()
{
    std::vector<ModuleRecord*> records;
    for (auto& pRecord : m_records)
        if (pRecord->bLive)
            records.push_back(pRecord.get());
    return records;
}

std::vector<ModuleRecord*> CModuleRegistry::AllRecords()
{
    std::vector<ModuleRecord*> records;
    for (auto& pRecord : m_records)
        records.push_back(pRecord.get());
    return records;
}

} // namespace tavren
