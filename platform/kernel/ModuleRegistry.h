// The process's table of modules: one record per loaded shared object that the framework has met
// (the executable, libraries linked into it, libraries loaded with LoadLibraryW), with its handle,
// module state, application object and resource tables. Internal to the platform layer.
#pragma once

#include "platform/afx/ModuleState.h"
#include "platform/user/Resource.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavren {

struct ModuleRecord {
    HMODULE hModule = 0;
    std::string strPath;            // host path of the shared object
    const void* pBase = nullptr;    // where the loader mapped it (dladdr's dli_fbase)
    void* pDlHandle = nullptr;      // our dlopen handle while LoadLibraryW references it
    int nLoadCount = 0;             // LoadLibraryW references not yet freed
    bool bLive = true;              // false after the last FreeLibrary
    std::vector<const ResourceTable*> tables;
    AFX_MODULE_STATE state;
    CWinApp* pApp = nullptr;
    bool bInitDone = false;
    bool bExitDone = false;
};

class CModuleRegistry {
public:
    static CModuleRegistry& Get();

    // Lookups by handle and base are made under Mutex(). The dynamic loader is never called with
    // Mutex() held: the loader holds its own lock while it runs a library's static initialisers,
    // which register with this table, so the two locks are always taken in the loader's order.
    std::recursive_mutex& Mutex() { return m_mutex; }
    // Takes Mutex() itself; call it without holding it. Null when pAddress lies in no loaded object.
    ModuleRecord* RecordFromAddress(const void* pAddress);
    ModuleRecord* RecordFromHandle(HMODULE hModule);        // live records only
    ModuleRecord* RecordFromBase(const void* pBase);        // live records only
    ModuleRecord* ExecutableRecord();
    // Marks the record dead: its handle stops answering. The record itself stays (its module state
    // may still be referenced by a thread) and is revived when the loader maps the object again
    // at the same place with its static objects intact.
    void Retire(ModuleRecord* pRecord);
    std::vector<ModuleRecord*> LiveRecords();
    std::vector<ModuleRecord*> AllRecords();   // retired ones too

private:
    CModuleRegistry();
    ModuleRecord* Create(const void* pBase, std::string strPath);

    std::recursive_mutex m_mutex;
    std::vector<std::unique_ptr<ModuleRecord>> m_records;
    std::unordered_map<const void*, ModuleRecord*> m_byBase;
    std::unordered_map<HMODULE, ModuleRecord*> m_byHandle;
    HMODULE m_hNext = 0x10000000;
    ModuleRecord* m_pExecutable = nullptr;
};

// Runs the module's InitInstance once if it has an application object; false when it refused.
bool RunInitInstance(ModuleRecord* pRecord);
// Runs the module's ExitInstance once if InitInstance ran.
void RunExitInstance(ModuleRecord* pRecord);

} // namespace tavren
