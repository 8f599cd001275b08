// What the hostile-input tests share: the File Manager's fixture, the files left on the PC side,
// and the message boxes a step brings up, read and answered in order.
#pragma once

#include "tests/dialogs/FileManagerTransferFixture.h"

namespace hostile {

using namespace fmtest;
using tavren::test::NamesIn;

class HostileFixture : public FileManagerTransferFixture {
protected:
    // Every file below the drive map's root but the user's folder settings, relative to it.
    std::vector<std::string> FilesOnPc() const
    {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(Drives().Root()))
            if (entry.is_regular_file() && entry.path().filename() != "user-dirs.dirs")
                files.push_back(entry.path().lexically_relative(Drives().Root()).generic_string());
        std::sort(files.begin(), files.end());
        return files;
    }

public:
    // Answers the boxes in front, each with its first button, until at least nBoxes came and the
    // File Manager is idle in front with this list showing these labels; "caption|text" of each
    // box, in order.
    static std::vector<std::u16string> AnswerBoxes(ScriptedUser& u, size_t nBoxes, int nList,
                                                   std::vector<std::u16string> expected)
    {
        std::sort(expected.begin(), expected.end());
        std::vector<std::u16string> boxes;
        std::vector<std::u16string> shown;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline) {
            const Snapshot snap = u.Look();
            const tavren::WindowInfo* w = snap.Front();
            if (w && w->kind == tavren::WindowInfo::Kind::MessageBox) {
                const tavren::WindowInfo& box = u.ExpectMessageBox(w->strCaption);
                boxes.push_back(box.strCaption + u"|" + box.strText);
                u.Answer(box.buttons.empty() ? IDOK : box.buttons.front());
                deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
                continue;
            }
            shown = Shown(snap, nList);
            std::sort(shown.begin(), shown.end());
            if (w && w->strCaption == kFileManager && w->bEnabled && Idle(snap) && shown == expected && boxes.size() >= nBoxes)
                return boxes;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::string strShown;
        for (const std::u16string& label : shown)
            strShown += " " + Narrow(label);
        std::string strBoxes;
        for (const std::u16string& box : boxes)
            strBoxes += " [" + Narrow(box) + "]";
        u.Expect(false, "after the boxes" + strBoxes + " the list shows" + strShown);
        return boxes;
    }
};

} // namespace hostile
