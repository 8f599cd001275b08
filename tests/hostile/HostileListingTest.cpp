// Listings the machine breaks on its way to the File Manager's machine pane: a record of length
// zero, a record that claims more bytes than the listing has, a count past the records and a
// negative count. The pane shows the records that can be read and nothing more, and the next
// listing, whole again, shows the folder as it is.
#include "tests/dialogs/FileManagerTransferFixture.h"

namespace {

using namespace fmtest;

class HostileListingTest : public FileManagerTransferFixture {};

TEST_F(HostileListingTest, BrokenListingsShowTheReadableRecordsOnly)
{
    WriteAll(Emb() / "a.qef", CorpusDesign("shamrockin.dst", ".qef"));
    WriteAll(Emb() / "b.qef", CorpusDesign("shamrockin.dst", ".qef"));
    fs::create_directories(Emb() / "Sub");
    WriteAll(Emb() / "Sub" / "c.qef", CorpusDesign("shamrockin.dst", ".qef"));

    struct Case {
        const char* how;
        std::vector<std::u16string> shown;
    };
    // The machine lists folders first: a broken first record leaves nothing to show.
    const std::vector<Case> cases = {
        {"zero-length", {}},
        {"oversized-length", {}},
        {"count-past-end", {u"Sub", u"a.qef", u"b.qef"}},
        {"negative-count", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Ctl({"listing", c.how});
        RunDesigns([&](ScriptedUser& u) {
            OpenMachineSide(u, u"Built-in", c.shown);
            CloseDialog(u);
        });
        // The broken listing was the only one: the next shows the folder and what lies below.
        RunDesigns([&](ScriptedUser& u) {
            OpenMachineSide(u, u"Built-in", {u"Sub", u"a.qef", u"b.qef"});
            OpenItem(u, kMachineList, u"Sub");
            WaitForShown(u, kMachineList, {u"c.qef"}, "the sub-folder after a broken listing");
            CloseDialog(u);
        });
    }
}

} // namespace
