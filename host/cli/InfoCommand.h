// `tavren info [--json] [--words] FILE...`: what the module makes of design and STX files - how
// each reads, its colour blocks, size and hoop, and whether the machine would take it (a DST file
// never: the machine reads only its own formats; then only the design's limits are judged).
#pragma once

// argv[0] is "info". Prints one summary (or one JSON object per line with --json) per file;
// returns 0 when every file was read, whatever the verdict, 1 when any could not be (missing, a
// folder, a broken file), and 2 when the arguments are wrong (with the usage on stderr).
int RunInfoCommand(int argc, char** argv);
