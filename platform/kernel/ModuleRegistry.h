// The process's table of modules: one record per loaded shared object that the framework has met
// (the executable, libraries linked into it, libraries loaded with LoadLibraryW), with its handle
// and resource tables. The framework (afx/) keeps its own data of a module (module state,
// application object) on the record and says, through ModuleLifecycle, what a module does when it
// is loaded and unloaded. Internal to the platform layer.
#pragma once

#include "platform/user/Resource.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavren {

// The framework's data of one module, defined by afx/ (afx/ModuleData.h).
struct ModuleFrameworkData;

struct ModuleRecord {
    HMODULE hModule = 0;
    std::string strPath;            // host path of the shared object
    const void* pBase = nullptr;    // where the loader mapped it (dladdr's dli_fbase)
    void* pDlHandle = nullptr;      // our dlopen handle while LoadLibraryW references it
    int nLoadCount = 0;             // LoadLibraryW references not yet freed
    bool bLive = true;              // false after the last FreeLibrary
    std::vector<const ResourceTable*> tables;
    // Made by the framework the first time it meets the module, under Mutex(); lives as long as
    // the record (a record is never freed).
    ModuleFrameworkData* pFramework = nullptr;
};

// What the framework does as modules come and go. afx/ registers it when the platform library
// starts; before that, and in a program that registers none, modules have nothing to run.
struct ModuleLifecycle {
    // A module's initialisation on its first LoadLibraryW, as its DllMain would run it; false
    // refuses the load. Called without Mutex() held.
    bool (*pfnLoaded)(ModuleRecord* pRecord);
    // The last FreeLibrary, before the library leaves memory. Called without Mutex() held.
    void (*pfnUnloading)(ModuleRecord* pRecord);
    // A retired record answers again under a new handle (RecordFromAddress). Called under Mutex().
    void (*pfnRevived)(ModuleRecord* pRecord);
};
void SetModuleLifecycle(const ModuleLifecycle* pLifecycle);
// The registered lifecycle, or null.
const ModuleLifecycle* GetModuleLifecycle();

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

} // namespace tavren
