// Writes a compiled script as C++: constant tables of the platform's resource structures
// (platform/user/Resource.h) and one static registrar that hands them to the platform when the library
// that holds them is loaded.
#pragma once

#include "res/compiler/RcScript.h"

#include <ostream>

namespace tavren::rc {

class CRcWriter {
public:
    static void Write(const RcScript& script, std::ostream& out);
};

} // namespace tavren::rc
