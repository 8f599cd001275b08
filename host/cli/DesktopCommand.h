// `tavren install-desktop [--exec PATH]` and `tavren uninstall-desktop`: the desktop's file
// managers learn the design and STX file types and draw their thumbnails with `tavren thumbnail`,
// for the current user only ($XDG_DATA_HOME, else ~/.local/share): a shared-mime-info package in
// mime/packages/ (then update-mime-database, where the system has it) and a thumbnailer entry in
// thumbnailers/. With --print-mime or --print-thumbnailer it writes nothing and prints that file
// instead (how the package makes its system-wide copies).
#pragma once

#include <string>

// argv[0] is the command's name. 0 when done; 1 when a file cannot be written or removed; 2 for
// wrong arguments.
int RunInstallDesktopCommand(int argc, char** argv);
int RunUninstallDesktopCommand(int argc, char** argv);

// The thumbnailer entry for the program at strExec (quoted as desktop entries quote arguments).
std::string ThumbnailerEntry(const std::string& strExec);
