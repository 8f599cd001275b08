#include "platform/user/Resource.h"

#include "platform/kernel/ModuleRegistry.h"

#include <algorithm>
#include <atomic>

namespace tavren {

const DialogItemTemplate* DialogTemplate::FindItem(int nItemId) const
{
    for (const DialogItemTemplate& item : Items())
        if (item.nId == nItemId)
            return &item;
    return nullptr;
}

const IconImage* IconResource::BestImage(int cx, int cy) const
{
    const IconImage* pBest = nullptr;
    for (const IconImage& image : Images()) {
        if (image.nWidth == cx && image.nHeight == cy)
            return &image;
        if (image.nWidth >= cx && image.nHeight >= cy && (pBest == nullptr || pBest->nWidth < cx || image.nWidth < pBest->nWidth))
            pBest = &image;
        else if (pBest == nullptr || (pBest->nWidth < cx && image.nWidth > pBest->nWidth))
            pBest = &image;
    }
    return pBest;
}

void RegisterResourceTable(const ResourceTable* pTable)
{
    auto& registry = CModuleRegistry::Get();
    ModuleRecord* pRecord = registry.RecordFromAddress(pTable);
    std::lock_guard lock(registry.Mutex());
    if (pRecord != nullptr) {
        if (std::find(pRecord->tables.begin(), pRecord->tables.end(), pTable) == pRecord->tables.end())
            pRecord->tables.push_back(pTable);
    }
}

void UnregisterResourceTable(const ResourceTable* pTable)
{
    auto& registry = CModuleRegistry::Get();
    std::lock_guard lock(registry.Mutex());
    for (ModuleRecord* pRecord : registry.AllRecords())
        std::erase(pRecord->tables, pTable);
}

namespace {
// Every array of a table is sorted by id.
template <typename T>
const T* FindSorted(const T* pFirst, UINT nCount, UINT nId)
{
    const T* pLast = pFirst + nCount;
    const T* p = std::lower_bound(pFirst, pLast, nId, [](const T& entry, UINT id) { return entry.nId < id; });
    return p != pLast && p->nId == nId ? p : nullptr;
}

// Looks through the module's tables (a library may carry more than one script).
template <typename T, typename Pick>
const T* FindIn(HINSTANCE hInstance, UINT nId, Pick pick)
{
    auto& registry = CModuleRegistry::Get();
    std::lock_guard lock(registry.Mutex());
    ModuleRecord* pRecord = registry.RecordFromHandle(hInstance);
    if (pRecord == nullptr)
        return nullptr;
    for (const ResourceTable* pTable : pRecord->tables) {
        auto [pFirst, nCount] = pick(*pTable);
        if (const T* p = FindSorted<T>(pFirst, nCount, nId))
            return p;
    }
    return nullptr;
}

std::atomic<ResourceChain (*)()> g_pfnCurrentChain{nullptr};

ResourceChain CurrentChain()
{
    if (ResourceChain (*pfn)() = g_pfnCurrentChain)
        return pfn();
    // No framework: the executable's own resources.
    auto& registry = CModuleRegistry::Get();
    std::lock_guard lock(registry.Mutex());
    HINSTANCE hExecutable = registry.ExecutableRecord()->hModule;
    return {hExecutable, hExecutable};
}

template <typename T>
const T* FindInChain(const T* (*find)(HINSTANCE, UINT), UINT nId, HINSTANCE* phFound)
{
    ResourceChain chain = CurrentChain();
    for (HINSTANCE h : {chain.hResource, chain.hInstance}) {
        if (const T* p = find(h, nId)) {
            if (phFound != nullptr)
                *phFound = h;
            return p;
        }
    }
    if (phFound != nullptr)
        *phFound = 0;
    return nullptr;
}
} // namespace

const ResourceTable* FindResourceTable(HINSTANCE hInstance)
{
    auto& registry = CModuleRegistry::Get();
    std::lock_guard lock(registry.Mutex());
    ModuleRecord* pRecord = registry.RecordFromHandle(hInstance);
    return pRecord == nullptr || pRecord->tables.empty() ? nullptr : pRecord->tables.front();
}

const DialogTemplate* FindDialogTemplate(HINSTANCE hInstance, UINT nId)
{
    return FindIn<DialogTemplate>(hInstance, nId, [](const ResourceTable& t) { return std::pair(t.pDialogs, t.nDialogs); });
}

const MenuTemplate* FindMenuTemplate(HINSTANCE hInstance, UINT nId)
{
    return FindIn<MenuTemplate>(hInstance, nId, [](const ResourceTable& t) { return std::pair(t.pMenus, t.nMenus); });
}

const BitmapResource* FindBitmapResource(HINSTANCE hInstance, UINT nId)
{
    return FindIn<BitmapResource>(hInstance, nId, [](const ResourceTable& t) { return std::pair(t.pBitmaps, t.nBitmaps); });
}

const IconResource* FindIconResource(HINSTANCE hInstance, UINT nId)
{
    return FindIn<IconResource>(hInstance, nId, [](const ResourceTable& t) { return std::pair(t.pIcons, t.nIcons); });
}

const StringEntry* FindStringEntry(HINSTANCE hInstance, UINT nId)
{
    return FindIn<StringEntry>(hInstance, nId, [](const ResourceTable& t) { return std::pair(t.pStrings, t.nStrings); });
}

bool LoadResourceString(HINSTANCE hInstance, UINT nId, std::u16string& strOut)
{
    const StringEntry* p = FindStringEntry(hInstance, nId);
    if (p == nullptr) {
        strOut.clear();
        return false;
    }
    strOut.assign(p->psz, p->nLength);
    return true;
}

void SetResourceChainSource(ResourceChain (*pfnCurrentChain)()) { g_pfnCurrentChain = pfnCurrentChain; }

HINSTANCE FindResourceModule(ResourceKind kind, UINT nId)
{
    ResourceChain chain = CurrentChain();
    for (HINSTANCE h : {chain.hResource, chain.hInstance}) {
        bool bFound = false;
        switch (kind) {
        case ResourceKind::String: bFound = FindStringEntry(h, nId) != nullptr; break;
        case ResourceKind::Dialog: bFound = FindDialogTemplate(h, nId) != nullptr; break;
        case ResourceKind::Menu: bFound = FindMenuTemplate(h, nId) != nullptr; break;
        case ResourceKind::Bitmap: bFound = FindBitmapResource(h, nId) != nullptr; break;
        case ResourceKind::Icon: bFound = FindIconResource(h, nId) != nullptr; break;
        }
        if (bFound)
            return h;
    }
    return 0;
}

const DialogTemplate* FindDialogTemplateChain(UINT nId, HINSTANCE* phFound) { return FindInChain(&FindDialogTemplate, nId, phFound); }
const MenuTemplate* FindMenuTemplateChain(UINT nId, HINSTANCE* phFound) { return FindInChain(&FindMenuTemplate, nId, phFound); }
const BitmapResource* FindBitmapResourceChain(UINT nId, HINSTANCE* phFound) { return FindInChain(&FindBitmapResource, nId, phFound); }
const IconResource* FindIconResourceChain(UINT nId, HINSTANCE* phFound) { return FindInChain(&FindIconResource, nId, phFound); }

bool LoadResourceStringChain(UINT nId, std::u16string& strOut)
{
    const StringEntry* p = FindInChain(&FindStringEntry, nId, nullptr);
    if (p == nullptr) {
        strOut.clear();
        return false;
    }
    strOut.assign(p->psz, p->nLength);
    return true;
}

} // namespace tavren

HINSTANCE AfxFindResourceHandle(UINT nId, tavren::ResourceKind kind)
{
    return tavren::FindResourceModule(kind, nId);
}
