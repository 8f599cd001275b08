// The module's pictures, each drawn into a canvas of any size from one description in the
// 32 x 32 design space.
#pragma once

#include "res/art/Canvas.h"

namespace tavren::art {

using Painter = void (*)(CCanvas&);

// The sixteen pictures of the folder lists, in picture-number order (desktop ... ordinary-stitch
// pattern).
extern const Painter kListPictures[16];

void DrawComputer(CCanvas& c);
void DrawUsbDrive(CCanvas& c);
void DrawMachine(CCanvas& c);
void DrawMachineWithUsb(CCanvas& c);
void DrawSend(CCanvas& c);
void DrawReceive(CCanvas& c);
void DrawNewFolder(CCanvas& c);
void DrawOpen(CCanvas& c);
void DrawUp(CCanvas& c);
void DrawStyleDetails(CCanvas& c);
void DrawStyleIcons(CCanvas& c);
void DrawDelete(CCanvas& c);

} // namespace tavren::art
