// Builds design files (QEF, QEF+, QPX, DST) and STX pattern files from a list of stitches, so that
// tests, benchmarks and fuzz seeds can make realistic files of any size - and hostile ones, with
// header fields overridden.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CEmbData;

namespace fixture {

using Bytes = std::vector<uint8_t>;

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

// Stitch words of a design (2 bytes each). Moves longer than 121 are split into several steps
// (sewn steps for a stitch, further jumps for a jump or colour change), as DST needs.
Bytes MakeWords(const Stitches& stitches);
int ColorChangeCount(const Stitches& stitches);

// Little-endian byte building, for the files and for hand-made hostile bytes.
void Put8(Bytes& b, uint8_t v);
void Put16(Bytes& b, uint16_t v);
void Put32(Bytes& b, int32_t v);
void PutDouble(Bytes& b, double v);
void PutBytes(Bytes& b, const Bytes& more);
void PutText(Bytes& b, const char* text, size_t count);  // exactly count bytes, zero-padded
void Patch32(Bytes& b, size_t offset, int32_t v);
int32_t Get32(const Bytes& b, size_t offset);

struct CustomThread {
    int32_t block = 0;
    uint8_t red = 0, green = 0, blue = 0, marker = 0;
    int32_t markDirection = 0;
};
// Custom thread block: int32 count, then 44-byte records.
Bytes ThreadBlock(const std::vector<CustomThread>& threads);

struct EnhanceEntry {
    int32_t type = 0;
    Bytes data;
    std::optional<int32_t> length;  // the length written in the table (default: data size)
};
// "ENHANCE", count byte, the entry table, then the entries' data.
Bytes EnhanceBlock(const std::vector<EnhanceEntry>& entries);

struct EditItem {
    int32_t valueA = 0, offsetX = 0, offsetY = 0, scale = 100, valueB = 0, valueC = 0, valueD = 0, flag = 0;
    Bytes payload;
};
struct EditBlock {
    int32_t version = 1;
    int32_t recordSize = 36;
    std::vector<EditItem> items;
    std::optional<uint32_t> checksum;     // default: the right sum
    std::optional<int32_t> itemCount;     // default: items.size()
};
Bytes MakeEditBlock(const EditBlock& block);

struct DesignLayout {
    Bytes words;                          // the stitch stream
    std::vector<int32_t> palette;         // one per colour block
    std::vector<int32_t> threadTypes;     // default 13 each
    int32_t hoop = 30;
    // QEF: extension level (20 or more writes `enhance` after the stream).
    int32_t extensionLevel = 0;
    std::vector<EnhanceEntry> enhance;    // QEF after the stream; QEF+ skipped table (V >= 2); QPX block
    std::vector<CustomThread> customThreads;  // QEF+ and QPX: the custom thread block
    bool makerTag = true;                 // QEF+ and QPX
    int32_t version = 1;                  // V after the tag
    std::optional<EditBlock> edit;        // QEF+ and QPX, written after the stream, P pointing at it
    std::optional<int32_t> editOffset;    // P override
    bool optionMarker = false;            // QPX byte 30 = 0x40
    int8_t designOption = 0;              // QPX byte 31
    std::optional<Bytes> qpxData;         // QPX data block payload
    int32_t qpxValueA = 0, qpxValueB = 0;
    uint32_t stitchPadding = 0;           // zero bytes between the tables and the stitch stream
    // Hostile overrides of header fields.
    std::optional<int32_t> colorCount, wordCount;
    std::optional<uint32_t> stitchOffset;
};

Bytes MakeQef(const DesignLayout& layout);
Bytes MakeQefPlus(const DesignLayout& layout);
Bytes MakeQpx(const DesignLayout& layout);
// A layout with the stitches' words and palette rows 1, 2, 3 ... for each colour block.
DesignLayout LayoutFromStitches(const Stitches& stitches);
// A layout with the words and colour blocks of a design already read (e.g. a real DST).
DesignLayout LayoutFromDesign(const CEmbData& data);

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
