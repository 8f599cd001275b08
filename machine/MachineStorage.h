// The emulated machine's three storages kept as folders: storage 1 ("Built-in") in DIR/builtin,
// storages 2 and 3 (the machine's flash drives) in DIR/usb1 and DIR/usb2. Machine paths such as
// "\EMB\Flowers" arrive in code page 1252 and map below a storage's folder, names kept in UTF-8
// so that a person sees the same names there. Each call answers a result code of the machine.
#pragma once

#include "machine/MachineState.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvel {

class CMachineStorage {
public:
    // Creates the storage folders and their root folders "EMB", "ORD" and "ORD\(UserST)".
    explicit CMachineStorage(std::filesystem::path root);
    const std::filesystem::path& Root() const { return m_root; }

    int32_t List(int storage, const std::string& folder, std::vector<uint8_t>* listing) const;
    int32_t Write(int storage, const std::string& path, const uint8_t* data, uint32_t size, int64_t capacity);
    int32_t Read(int storage, const std::string& path, std::vector<uint8_t>* data) const;
    int32_t Erase(int storage, const std::string& path);
    int32_t DeleteFolder(int storage, const std::string& path);
    int32_t Rename(int storage, const std::string& path, const std::string& newName, bool folder);
    int32_t CreateFolder(int storage, const std::string& parent, const std::string& name);
    // The file's place on disk when the path names a file; empty otherwise.
    std::filesystem::path FindFile(int storage, const std::string& path) const;

    // Breaks a listing the way a faulty machine would.
    static void BreakListing(ListingFault fault, std::vector<uint8_t>* listing);

    static std::string ToDiskName(const std::string& name1252);
    static std::string ToMachineName(const std::string& diskName);
    // A name the machine can keep and show: not empty, no path or wildcard characters.
    static bool IsValidName(const std::string& name1252);

private:
    std::filesystem::path StorageDir(int storage) const;
    // The existing entry a machine path names (empty when there is none); the storage's own
    // folder for "" and "\".
    std::filesystem::path Resolve(int storage, const std::string& path) const;
    // Splits "\A\B\name" into the parent's path and the last name; false for the storage root.
    static bool SplitLast(const std::string& path, std::string* parent, std::string* name);
    // The entry in dir whose name matches name1252 without regard to case; empty when none.
    static std::filesystem::path FindEntry(const std::filesystem::path& dir, const std::string& name1252);
    bool IsRootFolder(int storage, const std::filesystem::path& p) const;
    static int64_t UsedBytes(const std::filesystem::path& dir);

    std::filesystem::path m_root;
};

} // namespace quorvel
