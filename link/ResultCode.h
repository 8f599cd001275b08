// Result codes of the machine link: what the library answers, what the communication thread's runs
// make of a run, and what the status check before a send makes of the machine's state. A code
// travels as a 32-bit signed value; the names below are the ones the module's code uses.
//
// Three classes: success and a cancel by the person are never reported; a code without the 0x8000
// bit is a link error, one with it (negative codes included) a machine error. Both kinds of error
// are shown through ShowCommError, which turns them into the string table's words.
#pragma once

#include <cstdint>

enum ResultCode : int32_t {
    rcSuccess = 0,
    rcNotConnected = 1,
    rcUnsupportedMachine = 2,
    rcTimeOut = 3,
    rcCancelled = 4,
    rcPortFailed = 5,
    rcReconnectCable = 6,
    rcBrokenPacket = 7,
    rcSendFailed = 8,
    rcInvalidCommand = 9,
    rcOutOfMemory = 10,
    rcBrokenFile = 11,
    rcFilesNotFound = 12,
    rcSilent = 13, // a link error with no message

    // The library could not be loaded (the communication thread's own code).
    rcLinkMissing = -1,

    // Machine errors: 0x8001 + k shows the k-th machine string, every other one the general one.
    rcMachineError = 0x8000,
    rcMachineFailed = 0x8001,
    rcMachineBusy = 0x8002,
    rcMachineSewing = 0x8003,
    rcMachineBusyAgain = 0x8004,
    rcMachineWinding = 0x8005,
    rcMachineLocked = 0x8006,
    rcMachineMessageShown = 0x8008,
    rcMachineHelpOpen = 0x8009,
    rcMachineSettingsOpen = 0x800A,
    rcMachineDialogOpen = 0x800B,
    rcMachineOpeningOrSaving = 0x800C,
    rcMachineNoFlashDrive = 0x800F,
    rcMachineFull = 0x8010,
    rcSaveFailed = 0x8011,
    rcOpenFailed = 0x8012,
    rcDeleteFailed = 0x8013,
    rcRenameFailed = 0x8014,
    rcCreateFolderFailed = 0x8016,
    rcMachineLast = 0x8020, // the last code with a message of its own
};

enum class ResultClass { Success, Cancelled, LinkError, MachineError };

constexpr ResultClass ClassOfResult(int32_t nCode)
{
    if ((static_cast<uint32_t>(nCode) & 0x8000u) != 0)
        return ResultClass::MachineError;
    if (nCode == rcSuccess)
        return ResultClass::Success;
    return nCode == rcCancelled ? ResultClass::Cancelled : ResultClass::LinkError;
}

// A code the person is told about: anything but success and their own cancel.
constexpr bool IsReportedResult(int32_t nCode)
{
    return nCode != rcSuccess && nCode != rcCancelled;
}
