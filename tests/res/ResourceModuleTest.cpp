// Resource modules: loading by Windows name, lookups through the resource chain as the language
// switch uses it, unloading, the module state and the application object's start and end.
#include "platform/kernel/Library.h"
#include "platform/afx/ModuleState.h"
#include "platform/user/Resource.h"
#include "platform/afx/WinApp.h"
#include "platform/base/WinError.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

using namespace tavren;

namespace {
std::u16string Chain(UINT id)
{
    std::u16string s;
    LoadResourceStringChain(id, s);
    return s;
}

// Puts the executable's resource handle back whatever a test did to it.
struct ResourceHandleGuard {
    HINSTANCE hSaved = AfxGetResourceHandle();
    ~ResourceHandleGuard() { AfxSetResourceHandle(hSaved); }
};

template <typename F>
F Proc(HMODULE h, const char* pszName)
{
    return reinterpret_cast<F>(GetProcAddress(h, pszName));
}
} // namespace

TEST(LoadLibrary, MapsTheWindowsNameToTheLibraryBesideTheCaller)
{
    HMODULE h1 = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(h1, 0u) << GetLastLoadError();
    // Windows names are case-blind and may carry a folder.
    HMODULE h2 = LoadLibraryW(u"C:\\Program Files\\Tavren\\TAVRENJ.DLL");
    EXPECT_EQ(h2, h1);
    EXPECT_EQ(GetModuleHandleW(u"TavrenJ.dll"), h1);
    char16_t szPath[512];
    DWORD n = GetModuleFileNameW(h1, szPath, 512);
    ASSERT_GT(n, 0u);
    EXPECT_TRUE(std::u16string(szPath, n).ends_with(u"/libTavrenJ.so"));
    // Two loads, two frees: the first free leaves the module answering.
    EXPECT_TRUE(FreeLibrary(h1));
    EXPECT_NE(FindStringEntry(h1, 13033), nullptr);
    EXPECT_TRUE(FreeLibrary(h1));
    EXPECT_EQ(FindStringEntry(h1, 13033), nullptr);
    EXPECT_EQ(FindResourceTable(h1), nullptr);
    EXPECT_FALSE(FreeLibrary(h1));
    EXPECT_EQ(GetModuleHandleW(u"TavrenJ.dll"), 0u);

    // Loaded again, it answers under a new handle; the old one stays dead.
    HMODULE h3 = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(h3, 0u);
    EXPECT_NE(h3, h1);
    EXPECT_NE(FindStringEntry(h3, 13033), nullptr);
    EXPECT_EQ(FindStringEntry(h1, 13033), nullptr);
    EXPECT_TRUE(FreeLibrary(h3));
}

TEST(ResourceChain, LanguageModuleWinsAndTheModuleItselfIsTheFallback)
{
    ResourceHandleGuard guard;
    HINSTANCE hOwn = AfxGetInstanceHandle();
    EXPECT_EQ(hOwn, GetModuleHandleW(nullptr));
    EXPECT_EQ(AfxGetResourceHandle(), hOwn);
    EXPECT_EQ(Chain(13033), u"Confirm");

    HMODULE hJ = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(hJ, 0u) << GetLastLoadError();
    AfxSetResourceHandle(hJ);
    EXPECT_EQ(Chain(13033), u"確認");
    HINSTANCE hFound = 0;
    const DialogTemplate* pDialog = FindDialogTemplateChain(13024, &hFound);
    ASSERT_NE(pDialog, nullptr);
    EXPECT_EQ(hFound, hJ);
    EXPECT_EQ(std::u16string(pDialog->pszCaption), u"接続設定");
    EXPECT_EQ(AfxFindResourceHandle(13022, ResourceKind::Icon), hJ);

    // A module holding only part of the resources: what it lacks comes from the module itself.
    HMODULE hTest = LoadLibraryW(u"ResTestApp.dll");
    ASSERT_NE(hTest, 0u) << GetLastLoadError();
    AfxSetResourceHandle(hTest);
    EXPECT_EQ(Chain(13033), u"Confirm (test module)");
    EXPECT_EQ(Chain(13010), u"Name");
    EXPECT_EQ(FindResourceModule(ResourceKind::String, 13010), hOwn);
    EXPECT_EQ(FindResourceModule(ResourceKind::String, 9999), 0u);
    EXPECT_NE(FindMenuTemplateChain(13015), nullptr);
    EXPECT_TRUE(FreeLibrary(hTest));

    // A freed language module no longer answers, even while still named as the resource handle.
    AfxSetResourceHandle(hJ);
    EXPECT_TRUE(FreeLibrary(hJ));
    EXPECT_EQ(Chain(13033), u"Confirm");
    EXPECT_EQ(FindResourceModule(ResourceKind::Dialog, 13024), hOwn);
}

TEST(ModuleState, ExportsRunInTheirModulesStateAndRestoreTheCallers)
{
    HMODULE h = LoadLibraryW(u"ResTestApp.dll");
    ASSERT_NE(h, 0u) << GetLastLoadError();
    auto pInstance = Proc<HINSTANCE (*)()>(h, "ResTestInstance");
    auto pApp = Proc<CWinApp* (*)()>(h, "ResTestApp");
    ASSERT_NE(pInstance, nullptr);
    ASSERT_NE(pApp, nullptr);
    EXPECT_EQ(GetProcAddress(h, "NoSuchExport"), nullptr);

    AFX_MODULE_STATE* pBefore = AfxGetModuleState();
    EXPECT_EQ(pInstance(), h);
    CWinApp* pTheApp = pApp();
    ASSERT_NE(pTheApp, nullptr);
    EXPECT_EQ(pTheApp->m_hInstance, h);
    EXPECT_EQ(std::u16string(pTheApp->m_pszAppName), u"ResTestApp");
    EXPECT_EQ(AfxGetModuleState(), pBefore);
    EXPECT_EQ(AfxGetInstanceHandle(), GetModuleHandleW(nullptr));
    EXPECT_EQ(AfxGetApp(), nullptr);   // this program has no application object

    // The switch is undone when the scope is left by an exception too.
    AFX_MODULE_STATE* pModule = tavren::ModuleStateFromAddress(reinterpret_cast<const void*>(pInstance));
    ASSERT_NE(pModule, nullptr);
    try {
        AFX_MANAGE_STATE(pModule);
        EXPECT_EQ(AfxGetInstanceHandle(), h);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(AfxGetModuleState(), pBefore);

    // Each thread has its own current state; a new thread starts in the program's.
    AFX_MANAGE_STATE(pModule);
    HINSTANCE hOnThread = 0;
    std::thread([&] { hOnThread = AfxGetInstanceHandle(); }).join();
    EXPECT_EQ(hOnThread, GetModuleHandleW(nullptr));
    EXPECT_EQ(AfxGetInstanceHandle(), h);
    EXPECT_TRUE(FreeLibrary(h));
}

TEST(ModuleState, InitInstanceAtLoadAndExitInstanceAtTheLastFree)
{
    HMODULE h = LoadLibraryW(u"ResTestApp.dll");
    ASSERT_NE(h, 0u) << GetLastLoadError();
    auto pInitCount = Proc<int (*)()>(h, "ResTestInitCount");
    auto pSetExit = Proc<void (*)(int*)>(h, "ResTestSetExitCounter");
    ASSERT_NE(pInitCount, nullptr);
    ASSERT_NE(pSetExit, nullptr);
    EXPECT_EQ(pInitCount(), 1);
    int nExits = 0;
    pSetExit(&nExits);

    // A second reference neither initialises again nor ends the module when dropped.
    EXPECT_EQ(LoadLibraryW(u"ResTestApp.dll"), h);
    EXPECT_EQ(pInitCount(), 1);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(nExits, 0);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(nExits, 1);
}
