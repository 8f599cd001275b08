// `tavren info [--json] [--words] FILE...`: what the module makes of design and STX files - how
// each reads, its colour blocks, size and hoop, and whether the machine would take it.
#pragma once

// argv[0] is "info". Prints one summary (or one JSON object per line with --json) per file;
// returns 0 unless the arguments are wrong (then 2, with the usage on stderr).
int RunInfoCommand(int argc, char** argv);
