// Loads libTavren.so from the build's bin folder with dlopen and finds its exports by name.
#pragma once

#include "module/TavrenApi.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

struct ModuleExports {
    void* handle = nullptr;
    decltype(&::ChangeLanguage) pfnChangeLanguage = nullptr;
    decltype(&::ComSetDialog) pfnComSetDialog = nullptr;

    explicit ModuleExports(const std::string& folder)
    {
        handle = dlopen((folder + "/libTavren.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return;
        pfnChangeLanguage = reinterpret_cast<decltype(pfnChangeLanguage)>(dlsym(handle, "ChangeLanguage"));
        pfnComSetDialog = reinterpret_cast<decltype(pfnComSetDialog)>(dlsym(handle, "ComSetDialog"));
    }
    ~ModuleExports()
    {
        if (handle)
            dlclose(handle);
    }
    static std::string BinDir()
    {
        if (const char* d = std::getenv("TAVREN_BIN_DIR"))
            return d;
        // The tests are built into the same folder as the libraries.
        return std::filesystem::canonical("/proc/self/exe").parent_path().string();
    }
};
