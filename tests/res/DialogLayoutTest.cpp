// The module's dialog templates as a person sees them, in English and in Japanese: every control
// inside its dialog, no two visible controls on top of each other, and every control the module's
// code reaches present in the template the code runs.
#include "platform/kernel/Library.h"
#include "platform/user/Resource.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace tavren;

namespace {

using tavren::test::SourceDir;

constexpr UINT kDialogs[] = {13000, 13014, 13016, 13024, 13025};
constexpr DWORD kWsVisible = 0x10000000, kWsChild = 0x40000000, kBsTypeMask = 0xF, kBsGroupBox = 7, kCbsTypeMask = 3;
// A drop-down combo box shows its selection field only: its template height is that of the open
// list. The field of an 8- or 9-point dialog font is about 14 dialog units high.
constexpr short kComboFieldHeight = 14;
// A control set into a group box's frame as its title (a radio button that switches the group)
// lies across the top line, no lower than a line of text below it.
constexpr short kTitleBand = 10;

struct Box {
    short left, top, right, bottom;
    bool Overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool Contains(const Box& o) const { return left <= o.left && o.right <= right && top <= o.top && o.bottom <= bottom; }
};

bool SameClass(const char16_t* psz, std::u16string_view strClass)
{
    std::u16string_view s(psz);
    if (s.size() != strClass.size())
        return false;
    for (size_t i = 0; i < s.size(); ++i)
        if ((s[i] | 0x20) != (strClass[i] | 0x20))
            return false;
    return true;
}

bool IsGroupBox(const DialogItemTemplate& item)
{
    return SameClass(item.pszClass, u"button") && (item.dwStyle & kBsTypeMask) == kBsGroupBox;
}

// What a person sees of the control: a drop-down combo box without its list.
Box Seen(const DialogItemTemplate& item)
{
    short cy = item.cy;
    const DWORD dwComboType = item.dwStyle & kCbsTypeMask;
    if ((SameClass(item.pszClass, u"ComboBoxEx32") || SameClass(item.pszClass, u"ComboBox")) && dwComboType >= 2)
        cy = std::min(cy, kComboFieldHeight);
    return {item.x, item.y, static_cast<short>(item.x + item.cx), static_cast<short>(item.y + cy)};
}

// A control may share space with a group box only inside it or as its title.
bool FitsGroupBox(const Box& group, const Box& control)
{
    if (group.Contains(control))
        return true;
    return group.left <= control.left && control.right <= group.right && control.top <= group.top &&
           group.top < control.bottom && control.bottom <= group.top + kTitleBand;
}

std::string Name(const DialogItemTemplate& item)
{
    return "control " + std::to_string(item.nId) + " at (" + std::to_string(item.x) + ", " + std::to_string(item.y) +
           ", " + std::to_string(item.cx) + " x " + std::to_string(item.cy) + ")";
}

// The faults of one template, as sentences; empty when a person sees nothing wrong.
std::vector<std::string> LayoutFaults(const DialogTemplate& dlg)
{
    std::vector<std::string> faults;
    const Box client{0, 0, dlg.cx, dlg.cy};
    const auto items = dlg.Items();
    for (const DialogItemTemplate& item : items)
        if (!(item.dwStyle & kWsChild))
            faults.push_back(Name(item) + " is a window of its own, not a control of the dialog");
    for (const DialogItemTemplate& item : items)
        if (!client.Contains(Seen(item)))
            faults.push_back(Name(item) + " reaches outside the dialog's client area (" + std::to_string(dlg.cx) +
                             " x " + std::to_string(dlg.cy) + ")");
    for (size_t i = 0; i < items.size(); ++i) {
        for (size_t k = i + 1; k < items.size(); ++k) {
            const DialogItemTemplate& a = items[i];
            const DialogItemTemplate& b = items[k];
            if (!(a.dwStyle & kWsVisible) || !(b.dwStyle & kWsVisible) || !Seen(a).Overlaps(Seen(b)))
                continue;
            if (IsGroupBox(a) && !IsGroupBox(b) && FitsGroupBox(Seen(a), Seen(b)))
                continue;
            if (IsGroupBox(b) && !IsGroupBox(a) && FitsGroupBox(Seen(b), Seen(a)))
                continue;
            faults.push_back(Name(a) + " and " + Name(b) + " overlap");
        }
    }
    return faults;
}

std::string ReadText(const std::filesystem::path& p)
{
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The identifiers of res/resource.h, and the controls it lists under each dialog
// ("// Controls of Write a Design (13000)").
struct ResourceIds {
    std::map<std::string, int> values;
    std::map<UINT, std::set<std::string>> controlsOfDialog;
};

ResourceIds ReadResourceIds()
{
    ResourceIds ids;
    std::istringstream in(ReadText(std::filesystem::path(SourceDir()) / "res" / "resource.h"));
    const std::regex define(R"(^#define\s+(\w+)\s+(-?\d+))"), section(R"(^//\s*Controls of .*\((\d+)\))");
    UINT nSection = 0;
    std::string strLine;
    while (std::getline(in, strLine)) {
        std::smatch m;
        if (std::regex_search(strLine, m, section)) {
            nSection = static_cast<UINT>(std::stoul(m[1]));
        } else if (std::regex_search(strLine, m, define)) {
            ids.values[m[1]] = std::stoi(m[2]);
            if (nSection && m[1].str().rfind("IDC_", 0) == 0)
                ids.controlsOfDialog[nSection].insert(m[1]);
        } else if (strLine.rfind("//", 0) == 0) {
            nSection = 0;
        }
    }
    return ids;
}

// The dialog a class runs (from its header and source together) and the controls its code names.
struct DialogCode {
    std::string strClass;
    UINT nDialog = 0;
    std::set<std::string> controls;
};

std::vector<DialogCode> ReadDialogCode(const ResourceIds& ids)
{
    std::map<std::string, std::string> textOfClass;
    for (const char* pszFolder : {"comm", "dialogs", "lists", "module"}) {
        const std::filesystem::path folder = std::filesystem::path(SourceDir()) / pszFolder;
        if (!std::filesystem::is_directory(folder))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string strExt = entry.path().extension().string();
            if (strExt == ".cpp" || strExt == ".h")
                textOfClass[std::string(pszFolder) + "/" + entry.path().stem().string()] += ReadText(entry.path());
        }
    }
    const std::regex dialogId(R"((?:CDialog\s*\(\s*|\bIDD\s*=\s*)(IDD_\w+|\d+))");
    const std::regex control(R"(\bIDC_\w+\b)");
    const std::regex button(R"((?:GetDlgItem|ON_BN_CLICKED|DDX_\w+)\s*\(\s*(?:pDX\s*,\s*)?(IDOK|IDCANCEL)\b)");
    std::vector<DialogCode> out;
    for (const auto& [strClass, strText] : textOfClass) {
        std::set<UINT> dialogs;
        for (std::sregex_iterator it(strText.begin(), strText.end(), dialogId), end; it != end; ++it) {
            const std::string s = (*it)[1];
            dialogs.insert(std::isdigit(static_cast<unsigned char>(s[0])) ? static_cast<UINT>(std::stoul(s))
                                                                           : static_cast<UINT>(ids.values.at(s)));
        }
        if (dialogs.size() != 1)
            continue;
        DialogCode code{strClass, *dialogs.begin(), {}};
        for (std::sregex_iterator it(strText.begin(), strText.end(), control), end; it != end; ++it)
            if (it->str() != "IDC_STATIC")
                code.controls.insert(it->str());
        for (std::sregex_iterator it(strText.begin(), strText.end(), button), end; it != end; ++it)
            code.controls.insert((*it)[1]);
        out.push_back(code);
    }
    return out;
}

int ControlId(const ResourceIds& ids, const std::string& strName)
{
    if (strName == "IDOK")
        return 1;
    if (strName == "IDCANCEL")
        return 2;
    auto it = ids.values.find(strName);
    return it == ids.values.end() ? 0 : it->second;
}

} // namespace

TEST(DialogLayout, EveryControlInsideItsDialogAndNoneOnTopOfAnother)
{
    HMODULE hJapanese = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(hJapanese, 0u) << GetLastLoadError();
    for (HMODULE hModule : {GetModuleHandleW(nullptr), hJapanese}) {
        for (UINT nId : kDialogs) {
            const DialogTemplate* p = FindDialogTemplate(hModule, nId);
            ASSERT_NE(p, nullptr) << "dialog " << nId;
            for (const std::string& strFault : LayoutFaults(*p))
                ADD_FAILURE() << (hModule == hJapanese ? "Japanese " : "English ") << "dialog " << nId << ": " << strFault;
        }
    }
    EXPECT_TRUE(FreeLibrary(hJapanese));
}

TEST(DialogLayout, EveryControlTheCodeNamesIsInItsTemplate)
{
    const ResourceIds ids = ReadResourceIds();
    const std::vector<DialogCode> code = ReadDialogCode(ids);
    // The dialogs the module runs today, found by the scan (so the scan itself is not empty).
    std::set<UINT> found;
    for (const DialogCode& c : code)
        if (c.controls.size() >= 2)
            found.insert(c.nDialog);
    EXPECT_TRUE(found.count(13024) && found.count(13025)) << "the scan found the dialogs' code";
    for (UINT nId : kDialogs)
        EXPECT_TRUE(ids.controlsOfDialog.count(nId)) << "resource.h lists the controls of " << nId;

    HMODULE hJapanese = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(hJapanese, 0u) << GetLastLoadError();
    for (HMODULE hModule : {GetModuleHandleW(nullptr), hJapanese}) {
        const char* pszLanguage = hModule == hJapanese ? "Japanese" : "English";
        for (const DialogCode& c : code) {
            const DialogTemplate* p = FindDialogTemplate(hModule, c.nDialog);
            ASSERT_NE(p, nullptr) << c.strClass << " runs dialog " << c.nDialog;
            for (const std::string& strControl : c.controls)
                EXPECT_NE(p->FindItem(ControlId(ids, strControl)), nullptr)
                    << c.strClass << " uses " << strControl << ", which the " << pszLanguage << " dialog " << c.nDialog
                    << " lacks";
        }
        for (const auto& [nDialog, controls] : ids.controlsOfDialog) {
            const DialogTemplate* p = FindDialogTemplate(hModule, nDialog);
            ASSERT_NE(p, nullptr) << "dialog " << nDialog;
            for (const std::string& strControl : controls)
                EXPECT_NE(p->FindItem(ControlId(ids, strControl)), nullptr)
                    << strControl << " is missing from the " << pszLanguage << " dialog " << nDialog;
        }
    }
    EXPECT_TRUE(FreeLibrary(hJapanese));
}
