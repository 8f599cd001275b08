// Resource modules: loading by Windows name, lookups through the resource chain as the language
// switch uses it, unloading, the module state and the application object's start and end. A
// language module loaded again after its free is the language switch's test
// (tests/module/ModuleExportsTest.cpp, LanguageSwitch).
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

TEST(LoadLibrary, MapsTheWindowsNameToTheLibraryBesideTheCallerAndCountsReferences)
{
    HMODULE h1 = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(h1, 0u) << GetLastLoadError();
    // Windows names are case-blind and may carry a folder.
    EXPECT_EQ(LoadLibraryW(u"C:\\Program Files\\Tavren\\TAVRENJ.DLL"), h1);
    EXPECT_EQ(GetModuleHandleW(u"TavrenJ.dll"), h1);
    // Two loads, two frees: the first free leaves the module answering.
    EXPECT_TRUE(FreeLibrary(h1));
    EXPECT_NE(FindStringEntry(h1, 13033), nullptr);
    EXPECT_TRUE(FreeLibrary(h1));
    EXPECT_EQ(FindResourceTable(h1), nullptr);
    EXPECT_FALSE(FreeLibrary(h1));
    EXPECT_EQ(GetModuleHandleW(u"TavrenJ.dll"), 0u);
}

// The language switch's own test (tests/module) shows the Japanese module winning; here a module
// holding only part of the resources, and one freed while still named as the resource handle.
TEST(ResourceChain, WhatTheResourceModuleLacksComesFromTheModuleItself)
{
    ResourceHandleGuard guard;
    const HINSTANCE hOwn = AfxGetInstanceHandle();
    ASSERT_EQ(AfxGetResourceHandle(), hOwn);
    HMODULE hTest = LoadLibraryW(u"ResTestApp.dll");
    ASSERT_NE(hTest, 0u) << GetLastLoadError();
    AfxSetResourceHandle(hTest);
    EXPECT_EQ(Chain(13033), u"Confirm (test module)");
    EXPECT_EQ(FindResourceModule(ResourceKind::String, 13033), hTest);
    EXPECT_EQ(Chain(13010), u"Name");
    EXPECT_EQ(FindResourceModule(ResourceKind::String, 13010), hOwn);
    EXPECT_EQ(FindResourceModule(ResourceKind::String, 9999), 0u);
    EXPECT_EQ(AfxFindResourceHandle(13022, ResourceKind::Icon), hOwn);
    EXPECT_NE(FindMenuTemplateChain(13015), nullptr);
    EXPECT_TRUE(FreeLibrary(hTest));
    EXPECT_EQ(Chain(13033), u"Confirm");
}

// The application object's InitInstance runs at the load and ExitInstance at the last free; its
// exports run in the module's own state and give the caller's back, also on an exception.
TEST(ModuleState, ExportsRunInTheirModulesStateAndTheAppLivesFromLoadToLastFree)
{
    HMODULE h = LoadLibraryW(u"ResTestApp.dll");
    ASSERT_NE(h, 0u) << GetLastLoadError();
    auto pApp = Proc<CWinApp* (*)(HINSTANCE*)>(h, "ResTestApp");
    auto pInitCount = Proc<int (*)(int*)>(h, "ResTestInitCount");
    ASSERT_TRUE(pApp && pInitCount);
    int nExits = 0;
    EXPECT_EQ(pInitCount(&nExits), 1);

    AFX_MODULE_STATE* pBefore = AfxGetModuleState();
    HINSTANCE hInside = 0;
    CWinApp* pTheApp = pApp(&hInside);
    EXPECT_EQ(hInside, h);
    ASSERT_NE(pTheApp, nullptr);
    EXPECT_EQ(pTheApp->m_hInstance, h);
    EXPECT_EQ(AfxGetModuleState(), pBefore);
    EXPECT_EQ(AfxGetInstanceHandle(), GetModuleHandleW(nullptr));
    EXPECT_EQ(AfxGetApp(), nullptr);   // this program has no application object

    AFX_MODULE_STATE* pModule = tavren::ModuleStateFromAddress(reinterpret_cast<const void*>(pApp));
    ASSERT_NE(pModule, nullptr);
    try {
        AFX_MANAGE_STATE(pModule);
        EXPECT_EQ(AfxGetInstanceHandle(), h);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(AfxGetModuleState(), pBefore);
    {
        // Each thread has its own current state; a new thread starts in the program's.
        AFX_MANAGE_STATE(pModule);
        HINSTANCE hOnThread = 0;
        std::thread([&] { hOnThread = AfxGetInstanceHandle(); }).join();
        EXPECT_EQ(hOnThread, GetModuleHandleW(nullptr));
        EXPECT_EQ(AfxGetInstanceHandle(), h);
    }

    // A second reference neither initialises again nor ends the module when dropped.
    EXPECT_EQ(LoadLibraryW(u"ResTestApp.dll"), h);
    EXPECT_EQ(pInitCount(&nExits), 1);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(nExits, 0);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(nExits, 1);
}
