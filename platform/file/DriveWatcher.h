// The drive watcher: tells every top-level window when a drive letter comes or goes, with
// WM_DEVICECHANGE and a volume broadcast (DBT_DEVICEARRIVAL / DBT_DEVICEREMOVECOMPLETE with the
// letters' unit mask), as Windows does when a USB flash drive is plugged in or pulled out.
//
// Every change of the drive map is broadcast, whoever makes it (tests call DriveMap::SetDrives).
// A host that wants media noticed on their own starts the polling thread, which rescans the
// removable media folders every second.
#pragma once

#include "platform/base/WinTypes.h"

namespace tavren {
// Broadcasts every later change of the drive map. Idempotent.
void InstallDriveBroadcasts();
// Also rescans the media folders periodically (only when TAVREN_DRIVES does not fix the map).
void StartDriveWatcher(DWORD dwIntervalMs = 1000);
void StopDriveWatcher();
} // namespace tavren
