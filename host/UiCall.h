// One call the page asks the host to make on its UI thread: an export by name (or "Sampler").
#pragma once

#include <string>

struct UiCall {
    std::string strExport;
    int nLanguage = 1033; // for ChangeLanguage
};
