// tavren machine: an emulated sewing machine for a person to try the module with.
#pragma once

#include <filesystem>

// argv[0] is "machine". Serves until interrupted.
int RunMachineCommand(int argc, char** argv);

// Fills a new machine storage folder with the demo files (tests/fixtures/demo/machine, see
// SampleFiles.h), as `tavren machine` does without --storage; returns how many were copied.
// `tavren gui` uses it too.
int MakeDemoStorage(const std::filesystem::path& root);
// The source tree's fixtures folder: $TAVREN_SOURCE_DIR/tests/fixtures, else two folders above
// the build's bin/.
std::filesystem::path FixturesDir();
