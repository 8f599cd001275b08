// libQuorvel: the machine link's operations over the emulated machine's socket.
#include "machine/Quorvel.h"

#include "machine/QuorvelDevice.h"
#include "machine/QuorvelLink.h"
#include "machine/QuorvelWatcher.h"
#include "machine/WireReader.h"
#include "platform/base/CodePage.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace quorvel;

namespace {

constexpr UINT kMachineCodePage = 1252;

// Names travel in the machine's code page; a character it lacks becomes "?", which the machine
// then refuses in a name.
std::string ToMachine(const char16_t* s)
{
    if (!s)
        return {};
    return tavren::ToAnsi(std::u16string_view(s), kMachineCodePage);
}

// The device's plug generation, or 0 when the handle is not a live device of ours.
uint32_t Generation(uint32_t device)
{
    auto p = tavren::LookupHandleAs<CQuorvelDevice>(device);
    return p ? p->m_nGeneration : 0;
}

// Sends a request that carries only a result back.
int32_t Simple(CWireWriter& w)
{
    std::vector<uint8_t> answer;
    return CQuorvelLink::Exchange(w, &answer);
}

// A request whose answer carries a buffer; the buffer is handed out on success only.
int32_t WithBuffer(CWireWriter& w, uint8_t** buffer, uint32_t* size)
{
    if (buffer)
        *buffer = nullptr;
    if (size)
        *size = 0;
    if (!buffer || !size)
        return kResultInvalidCommand;
    std::vector<uint8_t> answer;
    int32_t r = CQuorvelLink::Exchange(w, &answer);
    if (r != 0)
        return r;
    CWireReader in(answer);
    uint32_t n = 0;
    const uint8_t* p = in.Bytes(&n);
    if (in.Failed())
        return kResultBrokenPacket;
    auto* out = static_cast<uint8_t*>(std::malloc(n ? n : 1));
    if (!out)
        return kResultNoMemory;
    if (n)
        std::memcpy(out, p, n);
    *buffer = out;
    *size = n;
    return 0;
}

CWireWriter PathRequest(Op op, uint32_t device, uint32_t storage, const char16_t* path)
{
    CWireWriter w = CQuorvelLink::Request(op, Generation(device));
    w.U32(storage);
    w.Text(ToMachine(path));
    return w;
}

} // namespace

extern "C" {

uint32_t RegisterMachineDeviceNotification(uint32_t window)
{
    return CQuorvelWatcher::Register(window);
}

uint32_t GetConnectedDevice(int32_t, int32_t, int32_t* status)
{
    std::vector<uint8_t> answer;
    CWireWriter w = CQuorvelLink::Request(Op::Connect, 0);
    if (CQuorvelLink::Exchange(w, &answer) != 0)
        return 0;
    CWireReader in(answer);
    uint32_t generation = in.U32();
    bool supported = in.U32() != 0;
    if (in.Failed())
        return 0;
    if (!supported) {
        // A machine this link cannot work with gives no handle.
        if (status)
            *status = 2;
        return 0;
    }
    return tavren::AllocHandle(std::make_shared<CQuorvelDevice>(generation));
}

int32_t GetMachineType(uint32_t device, int32_t)
{
    CWireWriter w = CQuorvelLink::Request(Op::MachineType, Generation(device));
    return Simple(w);
}

int32_t GetStatus(uint32_t device, int32_t item, uint8_t* value)
{
    CWireWriter w = CQuorvelLink::Request(Op::GetStatus, Generation(device));
    w.U32(static_cast<uint32_t>(item));
    std::vector<uint8_t> answer;
    int32_t r = CQuorvelLink::Exchange(w, &answer);
    if (r != 0)
        return r;
    CWireReader in(answer);
    uint32_t v = in.U32();
    if (in.Failed())
        return kResultBrokenPacket;
    if (value)
        *value = static_cast<uint8_t>(v);
    return 0;
}

int32_t SetStatus(uint32_t device, int32_t item, uint8_t value)
{
    CWireWriter w = CQuorvelLink::Request(Op::SetStatus, Generation(device));
    w.U32(static_cast<uint32_t>(item));
    w.U32(value);
    return Simple(w);
}

int32_t UploadList(uint32_t device, uint32_t storage, const char16_t* folder, uint8_t** buffer, uint32_t* size)
{
    CWireWriter w = PathRequest(Op::UploadList, device, storage, folder);
    return WithBuffer(w, buffer, size);
}

int32_t DownloadFile(uint32_t device, uint32_t storage, const char16_t* path, const uint8_t* bytes, uint32_t size)
{
    if (!bytes && size)
        return kResultInvalidCommand;
    CWireWriter w = PathRequest(Op::DownloadFile, device, storage, path);
    w.Bytes(bytes, size);
    return Simple(w);
}

int32_t UploadFile(uint32_t device, uint32_t storage, const char16_t* path, uint8_t** buffer, uint32_t* size)
{
    CWireWriter w = PathRequest(Op::UploadFile, device, storage, path);
    return WithBuffer(w, buffer, size);
}

int32_t EraseFile(uint32_t device, uint32_t storage, const char16_t* path)
{
    CWireWriter w = PathRequest(Op::EraseFile, device, storage, path);
    return Simple(w);
}

int32_t DeleteFolder(uint32_t device, uint32_t storage, const char16_t* path)
{
    CWireWriter w = PathRequest(Op::DeleteFolder, device, storage, path);
    return Simple(w);
}

int32_t SelectFile(uint32_t device, uint32_t storage, const char16_t* path)
{
    CWireWriter w = PathRequest(Op::SelectFile, device, storage, path);
    return Simple(w);
}

int32_t RenameFile(uint32_t device, uint32_t storage, const char16_t* oldPath, const char16_t* newName)
{
    CWireWriter w = PathRequest(Op::RenameFile, device, storage, oldPath);
    w.Text(ToMachine(newName));
    return Simple(w);
}

int32_t RenameFolder(uint32_t device, uint32_t storage, const char16_t* oldPath, const char16_t* newName)
{
    CWireWriter w = PathRequest(Op::RenameFolder, device, storage, oldPath);
    w.Text(ToMachine(newName));
    return Simple(w);
}

int32_t CreateFolder(uint32_t device, uint32_t storage, const char16_t* parent, const char16_t* name)
{
    CWireWriter w = PathRequest(Op::CreateFolder, device, storage, parent);
    w.Text(ToMachine(name));
    return Simple(w);
}

int32_t UploadDesign(uint32_t device, uint8_t** buffer, uint32_t* size)
{
    CWireWriter w = CQuorvelLink::Request(Op::UploadDesign, Generation(device));
    return WithBuffer(w, buffer, size);
}

int32_t GlobalHeapFree(uint8_t** buffer)
{
    if (buffer) {
        std::free(*buffer);
        *buffer = nullptr;
    }
    return 0;
}

} // extern "C"
