// Builds design files (QEF, QEF+, QPX, DST) and STX pattern files from a list of stitches, so that
// tests, benchmarks and fuzz seeds can make realistic files of any size - and hostile ones, with
// header fields overridden.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "design/NativeDesignWriter.h"


namespace fixture {

using Bytes = native_design::Bytes;

// One step of a design, relative to the previous needle position (0.1 mm, y upward).
struct Stitch {
    enum Kind { Normal, Jump, ColorChange, End };
    Kind kind = Normal;
    int dx = 0;
    int dy = 0;
};
using Stitches = std::vector<Stitch>;

inline Stitch Sew(int dx, int dy) { return {Stitch::Normal, dx, dy}; }
inline Stitch JumpBy(int dx, int dy) { return {Stitch::Jump, dx, dy}; }
inline Stitch ChangeColor(int dx = 0, int dy = 0) { return {Stitch::ColorChange, dx, dy}; }
inline Stitch EndDesign() { return {Stitch::End, 0, 0}; }

// The native formats' writer is the program's own; the fixtures use it as it is.
using namespace native_design;

// A layout with the stitches' words and palette rows 1, 2, 3 ... for each colour block.
DesignLayout LayoutFromStitches(const Stitches& stitches);

// Tajima DST: a 512-byte header, 3-byte records, the end record and an 0x1A byte.
Bytes MakeDst(const Stitches& stitches);
// One DST record's three bytes for a move of -121..121 each way.
void EncodeDstMove(int dx, int dy, uint8_t& b0, uint8_t& b1, uint8_t& b2);

// STX pattern.
struct StxRecord {
    uint8_t b0 = 0, b1 = 0, b2 = 0, b3 = 0;
};
inline StxRecord StxPoint(int needle, int feed) { return {static_cast<uint8_t>(needle), static_cast<uint8_t>(feed), 0, 0}; }
inline StxRecord StxCommand(uint8_t code) { return {0x80, code, 0, 0}; }
struct StxLayout {
    std::vector<StxRecord> records;
    uint16_t widthNum = 0, widthDen = 0, lengthNum = 1, lengthDen = 1;
    uint16_t headerSize = 68;
    std::optional<uint16_t> recordCount;
};
Bytes MakeStx(const StxLayout& layout);
// A well-formed pattern: opening command, the points, closing command, three trailing points, end.
StxLayout WellFormedStx(int points);

// A valid stream of exactly nWords words (nWords >= 4 + 4 x (nColors - 1)) with nColors colour
// blocks, a random walk kept inside +-bound, starting with a jump and ending with the end command.
Bytes MakeRandomWords(int nWords, int nColors, uint32_t seed, int bound = 600);

bool WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadWholeFile(const std::string& path);

} // namespace fixture
