// tavren machine: an emulated sewing machine for a person to try the module with.
#pragma once

// argv[0] is "machine". Serves until interrupted.
int RunMachineCommand(int argc, char** argv);
