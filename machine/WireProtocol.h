// The protocol between libQuorvel and quorvel-machine over a local stream socket (the USB cable's
// stand-in). Every exchange is one request frame and one answer frame on a fresh connection, so
// that the user-interface thread can ask a short question while a worker is in a long transfer.
//
// Frame: u32 body length (little-endian), then the body.
//   request body: u16 operation, u16 zero, u32 plug generation, then the operation's fields
//   answer body:  i32 result code, then the operation's fields when the result is 0
// Fields: u32 as 4 bytes little-endian; text and bytes as a u32 length and that many bytes. Names
// and paths travel in code page 1252, as the machine shows them.
//
// Subscribe keeps its connection: the machine answers once and then writes one byte per change
// (1 plugged, 0 pulled) until either side closes.
#pragma once

#include <cstdint>

namespace quorvel {

enum class Op : uint16_t {
    Connect = 1,      // -> result, u32 generation, u32 supported (0/1)
    MachineType,      // -> result
    GetStatus,        // u32 item -> result, u32 value
    SetStatus,        // u32 item, u32 value -> result
    UploadList,       // u32 storage, text folder -> result, bytes listing
    DownloadFile,     // u32 storage, text path, bytes data -> result
    UploadFile,       // u32 storage, text path -> result, bytes data
    EraseFile,        // u32 storage, text path -> result
    DeleteFolder,     // u32 storage, text path -> result
    SelectFile,       // u32 storage, text path -> result
    RenameFile,       // u32 storage, text path, text new name -> result
    RenameFolder,     // u32 storage, text path, text new name -> result
    CreateFolder,     // u32 storage, text parent, text name -> result
    UploadDesign,     // -> result, bytes data
    Subscribe,        // -> result, u32 plugged; then one byte per change
    Control,          // u32 count, count texts (a ctl command line) -> result, text report
};

constexpr uint16_t kFirstOp = 1;
constexpr uint16_t kLastOp = static_cast<uint16_t>(Op::Control);

// The longest frame either side accepts; a larger length is a broken packet, not an allocation.
constexpr uint32_t kMaxFrame = 256u * 1024u * 1024u;

// Result codes that the link itself produces (the machine's own refusals have the 0x8000 bit).
constexpr int32_t kResultNotConnected = 1;
constexpr int32_t kResultTimeOut = 3;
constexpr int32_t kResultConnectionLost = 6;
constexpr int32_t kResultBrokenPacket = 7;
constexpr int32_t kResultSendFailed = 8;
constexpr int32_t kResultInvalidCommand = 9;
constexpr int32_t kResultNoMemory = 10;

// The machine's own refusals.
constexpr int32_t kMachineError = 0x8001;
constexpr int32_t kMachineNotFound = 0x800D;
constexpr int32_t kMachineNoFlashDrive = 0x800F;
constexpr int32_t kMachineFull = 0x8010;
constexpr int32_t kMachineSaveFailed = 0x8011;
constexpr int32_t kMachineOpenFailed = 0x8012;
constexpr int32_t kMachineDeleteFailed = 0x8013;
constexpr int32_t kMachineRenameFailed = 0x8014;
constexpr int32_t kMachineSelectFailed = 0x8015;
constexpr int32_t kMachineCreateFolderFailed = 0x8016;

// The operation's name as used on the ctl command line ("DownloadFile"), or nullptr.
const char* OpName(Op op);
// Op from its name, without regard to case; false when there is none.
bool OpFromName(const char* name, Op* op);

} // namespace quorvel
