// `tavren thumbnail -s SIZE IN OUT.png`: the picture a file manager shows for a design or STX file
// (.qef, .qef+, .qpx, .dst, .stx), as the desktop's thumbnailers are called: SIZE x SIZE pixels,
// the drawing centred with its aspect kept on the lists' background.
#pragma once

// argv[0] is "thumbnail". 0 when the PNG is written; 1 when the file cannot be read or drawn;
// 2 for wrong arguments.
int RunThumbnailCommand(int argc, char** argv);
