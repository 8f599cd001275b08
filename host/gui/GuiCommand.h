// tavren gui: the module's dialogs in a browser. A host application of its own: it starts an
// emulated machine with demo designs and a temporary drive map, serves the page (host/gui/web/) on
// 127.0.0.1, and runs each export on its main thread (the host's UI thread) when the page asks.
// The HTTP threads are "the user": they only look and act through the seam (platform/seam/Automation.h).
#pragma once

// argv[0] is "gui". Serves until interrupted.
int RunGuiCommand(int argc, char** argv);
