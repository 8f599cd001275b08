// `tavren convert IN.dst [-o OUT.qef|.qef+|.qpx] [--force]`: a DST design as one of the machine's
// own files. The output appears whole or not at all: it is written under a temporary name in its
// folder, checked as the File Manager checks what it sends, and only then renamed into place.
#pragma once

// argv[0] is "convert". 0 when the design is written; 1 when the input cannot be read or
// converted, or the machine could not take the design (a message on stderr, no file); 2 for
// wrong arguments.
int RunConvertCommand(int argc, char** argv);
