// The writer of the machine's own design files (QEF, QEF+, QPX): a layout - stitch words, one
// palette row and thread type a colour block, the optional blocks - laid out as the design readers
// read it. `tavren convert` writes designs with it; the tests' fixture writer builds on it, and
// the layout's header overrides exist for those tests (hostile files), never for real designs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CEmbData;

namespace native_design {

using Bytes = std::vector<uint8_t>;

// Little-endian byte building.
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
    Bytes further;  // the 32 further bytes (a filler when not 32 of them)
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
// The file of a CEmbFile design type (dftQef, dftQefPlus, dftQpx); false for any other type.
bool MakeNativeFile(const DesignLayout& layout, int nType, Bytes& out);
// A layout with the words, colour blocks (palette rows, thread types, custom threads) and the
// given hoop code of a design already read and validated.
DesignLayout LayoutFromDesign(const CEmbData& data, int32_t hoop = 30);

} // namespace native_design
