// `tavren preview FILE [-o OUT.png] [--size N] [--list-picture] [--checked]`: a PNG of a design
// or STX pattern - by default drawn to fit N x N pixels (512) with the whole design visible, on the
// lists' background rule; with --list-picture the exact 48 x 48 picture of the large-icon list
// (its empty check box, or the ticked one with --checked).
#pragma once

class CBitmap;
class CEmbData;
class CStxFile;

// argv[0] is "preview". 0 when the PNG is written; 1 when the file cannot be read or the PNG
// cannot be written (a message on stderr, no PNG); 2 for wrong arguments.
int RunPreviewCommand(int argc, char** argv);

// The pictures themselves, for the command and its tests: nSize x nSize, the drawing centred with
// a small margin, thread-coloured lines about two pixels wide at 512.
bool RenderDesignPreview(CEmbData& design, int nSize, CBitmap& bmOut);
bool RenderStxPreview(CStxFile& stx, int nSize, CBitmap& bmOut);
