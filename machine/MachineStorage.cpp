#include "machine/MachineStorage.h"

#include "machine/WireProtocol.h"
#include "machine/Cp1252.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace quorvel {

namespace {

constexpr const char* kStorageFolders[] = {nullptr, "builtin", "usb1", "usb2"};

// Case folding in code page 1252: ASCII letters and the accented capitals 0xC0..0xDE (but 0xD7).
unsigned char Fold(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    return c;
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Fold(static_cast<unsigned char>(x)) == Fold(static_cast<unsigned char>(y));
           });
}

void Put32(std::vector<uint8_t>* out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        (*out)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t UnixTime(const fs::file_time_type& t)
{
    auto sys = std::chrono::file_clock::to_sys(t);
    auto secs = std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
    return secs < 0 ? 0u : static_cast<uint32_t>(std::min<int64_t>(secs, UINT32_MAX));
}

} // namespace

CMachineStorage::CMachineStorage(fs::path root) : m_root(std::move(root))
{
    std::error_code ec;
    for (int s = 1; s <= 3; ++s) {
        fs::path dir = m_root / kStorageFolders[s];
        fs::create_directories(dir / "EMB", ec);
        fs::create_directories(dir / "ORD" / "(UserST)", ec);
    }
}

std::string CMachineStorage::ToDiskName(const std::string& name1252)
{
    return Cp1252ToUtf8(name1252);
}

std::string CMachineStorage::ToMachineName(const std::string& diskName)
{
    // A character the machine cannot show becomes "?", as it would on its screen.
    return Utf8To1252(diskName);
}

bool CMachineStorage::IsValidName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || std::strchr("\\/:*?\"<>|", c))
            return false;
    return true;
}

fs::path CMachineStorage::StorageDir(int storage) const
{
    return (storage >= 1 && storage <= 3) ? m_root / kStorageFolders[storage] : fs::path();
}

fs::path CMachineStorage::FindEntry(const fs::path& dir, const std::string& name1252)
{
    // A name the machine shows with "?" in place of characters it lacks is still found by that
    // name, so such a file can be received, renamed and erased; no new name may contain "?".
    if (name1252.empty() || name1252 == "." || name1252 == "..")
        return {};
    for (unsigned char c : name1252)
        if (c < 0x20 || c == '\\' || c == '/')
            return {};
    std::error_code ec;
    fs::path exact = dir / ToDiskName(name1252);
    if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec)
        return exact;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (SameName(ToMachineName(it->path().filename().string()), name1252))
            return it->path();
    return {};
}

fs::path CMachineStorage::Resolve(int storage, const std::string& path) const
{
    fs::path p = StorageDir(storage);
    if (p.empty())
        return {};
    // A leading backslash names the storage's top, and so do the two of the module's form (two
    // backslashes and EMB are EMB below the top); an empty component anywhere else names nothing.
    size_t pos = path.rfind("\\\\", 0) == 0 ? 2 : (!path.empty() && path[0] == '\\') ? 1 : 0;
    while (pos < path.size()) {
        size_t next = path.find('\\', pos);
        if (next == std::string::npos)
            next = path.size();
        p = FindEntry(p, path.substr(pos, next - pos));
        if (p.empty())
            return {};
        pos = next + 1;
        if (next + 1 == path.size())
            return {}; // a trailing backslash names nothing
    }
    return p;
}

bool CMachineStorage::SplitLast(const std::string& path, std::string* parent, std::string* name)
{
    size_t cut = path.rfind('\\');
    *parent = cut == std::string::npos ? std::string() : path.substr(0, cut);
    *name = cut == std::string::npos ? path : path.substr(cut + 1);
    return !name->empty();
}

bool CMachineStorage::IsRootFolder(int storage, const fs::path& p) const
{
    fs::path dir = StorageDir(storage);
    return p == dir || p == dir / "EMB" || p == dir / "ORD" || p == dir / "ORD" / "(UserST)";
}

int64_t CMachineStorage::UsedBytes(const fs::path& dir)
{
    int64_t used = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec))
            used += static_cast<int64_t>(it->file_size(ec));
    return used;
}

int32_t CMachineStorage::List(int storage, const std::string& folder, std::vector<uint8_t>* listing) const
{
    fs::path dir = Resolve(storage, folder);
    std::error_code ec;
    if (dir.empty() || !fs::is_directory(dir, ec))
        return kMachineNotFound;
    struct Entry {
        std::string name;
        bool folder;
        uint32_t size, time;
    };
    std::vector<Entry> entries;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e2;
        bool isDir = it->is_directory(e2);
        if ((!isDir && !it->is_regular_file(e2)) || it->path().filename().string().rfind(".partial-", 0) == 0)
            continue; // only folders and whole files
        uint64_t size = isDir ? 0 : it->file_size(e2);
        entries.push_back({ToMachineName(it->path().filename().string()), isDir,
                           static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX)),
                           UnixTime(it->last_write_time(e2))});
    }
    if (ec)
        return kMachineError;
    // Folders first, then files, each by name without regard to case: the machine's own order.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.folder != b.folder)
            return a.folder;
        return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                            [](char x, char y) {
                                                return Fold(static_cast<unsigned char>(x)) <
                                                       Fold(static_cast<unsigned char>(y));
                                            });
    });
    // Count, then records: length, -1 for a folder (0 for a file), file size, time, the name and
    // its terminating zero, padded to 4 bytes so that a reader must follow each record's length.
    listing->assign(4, 0);
    Put32(listing, 0, static_cast<uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        size_t at = listing->size();
        size_t len = (16 + e.name.size() + 1 + 3) & ~size_t(3);
        listing->resize(at + len, 0);
        Put32(listing, at, static_cast<uint32_t>(len));
        Put32(listing, at + 4, e.folder ? 0xFFFFFFFFu : 0u);
        Put32(listing, at + 8, e.size);
        Put32(listing, at + 12, e.time);
        std::memcpy(listing->data() + at + 16, e.name.data(), e.name.size());
    }
    return 0;
}

void CMachineStorage::BreakListing(ListingFault fault, std::vector<uint8_t>* listing)
{
    if (fault == ListingFault::None || listing->size() < 4)
        return;
    uint32_t count = (*listing)[0] | ((*listing)[1] << 8) | ((*listing)[2] << 16) |
                     (static_cast<uint32_t>((*listing)[3]) << 24);
    if (fault == ListingFault::CountPastEnd) {
        Put32(listing, 0, count + 3);
        return;
    }
    if (fault == ListingFault::NegativeCount) {
        // The records stay; only the count says less than none.
        Put32(listing, 0, 0u - (count ? count : 1));
        return;
    }
    if (count == 0) {
        // An empty folder gets one record to break: a header with an empty name.
        listing->resize(4 + 20, 0);
        Put32(listing, 0, 1);
        Put32(listing, 4, 20);
    }
    Put32(listing, 4, fault == ListingFault::ZeroLength ? 0u : 0x7FFFFFF0u);
}

int32_t CMachineStorage::Write(int storage, const std::string& path, const uint8_t* data, uint32_t size,
                               int64_t capacity)
{
    std::string parentPath, name;
    if (!SplitLast(path, &parentPath, &name) || !IsValidName(name))
        return kMachineSaveFailed;
    fs::path parent = Resolve(storage, parentPath);
    std::error_code ec;
    if (parent.empty() || !fs::is_directory(parent, ec))
        return kMachineNotFound;
    fs::path target = FindEntry(parent, name);
    int64_t replaced = 0;
    if (!target.empty()) {
        if (!fs::is_regular_file(target, ec))
            return kMachineSaveFailed;
        replaced = static_cast<int64_t>(fs::file_size(target, ec));
    } else {
        target = parent / ToDiskName(name);
    }
    if (capacity >= 0 && UsedBytes(StorageDir(storage)) - replaced + size > capacity)
        return kMachineFull;
    // Written beside and moved into place, so a failed write never leaves half a file.
    fs::path temp = parent / (".partial-" + target.filename().string());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), size);
        if (!out) {
            fs::remove(temp, ec);
            return kMachineSaveFailed;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return kMachineSaveFailed;
    }
    return 0;
}

fs::path CMachineStorage::FindFile(int storage, const std::string& path) const
{
    fs::path p = Resolve(storage, path);
    std::error_code ec;
    return (!p.empty() && fs::is_regular_file(p, ec)) ? p : fs::path();
}

int32_t CMachineStorage::Read(int storage, const std::string& path, std::vector<uint8_t>* data) const
{
    fs::path p = FindFile(storage, path);
    if (p.empty())
        return kMachineNotFound;
    std::ifstream in(p, std::ios::binary);
    data->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? kMachineOpenFailed : 0;
}

int32_t CMachineStorage::Erase(int storage, const std::string& path)
{
    fs::path p = Resolve(storage, path);
    std::error_code ec;
    if (p.empty())
        return kMachineNotFound;
    if (!fs::is_regular_file(p, ec) || !fs::remove(p, ec))
        return kMachineDeleteFailed;
    return 0;
}

int32_t CMachineStorage::DeleteFolder(int storage, const std::string& path)
{
    fs::path p = Resolve(storage, path);
    std::error_code ec;
    if (p.empty())
        return kMachineNotFound;
    // The root folders belong to the machine; a folder with contents is not removed.
    if (!fs::is_directory(p, ec) || IsRootFolder(storage, p) || !fs::is_empty(p, ec) || !fs::remove(p, ec))
        return kMachineDeleteFailed;
    return 0;
}

int32_t CMachineStorage::Rename(int storage, const std::string& path, const std::string& newName, bool folder)
{
    fs::path p = Resolve(storage, path);
    std::error_code ec;
    if (p.empty())
        return kMachineNotFound;
    if (!IsValidName(newName) || IsRootFolder(storage, p) ||
        (folder ? !fs::is_directory(p, ec) : !fs::is_regular_file(p, ec)))
        return kMachineRenameFailed;
    fs::path existing = FindEntry(p.parent_path(), newName);
    // A change of case only is a rename of the same entry; any other existing name is refused.
    if (!existing.empty() && existing != p)
        return kMachineRenameFailed;
    fs::rename(p, p.parent_path() / ToDiskName(newName), ec);
    return ec ? kMachineRenameFailed : 0;
}

int32_t CMachineStorage::CreateFolder(int storage, const std::string& parentPath, const std::string& name)
{
    fs::path parent = Resolve(storage, parentPath);
    std::error_code ec;
    if (parent.empty() || !fs::is_directory(parent, ec))
        return kMachineNotFound;
    if (!IsValidName(name) || !FindEntry(parent, name).empty())
        return kMachineCreateFolderFailed;
    return fs::create_directory(parent / ToDiskName(name), ec) ? 0 : kMachineCreateFolderFailed;
}

} // namespace quorvel
