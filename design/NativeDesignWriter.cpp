#include "design/NativeDesignWriter.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace native_design {

void Put8(Bytes& b, uint8_t v) { b.push_back(v); }
void Put16(Bytes& b, uint16_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, int32_t v)
{
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(u >> (8 * i)));
}
void PutDouble(Bytes& b, double v)
{
    uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i)
        b.push_back(static_cast<uint8_t>(u >> (8 * i)));
}
void PutBytes(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
void PutText(Bytes& b, const char* text, size_t count)
{
    const size_t n = std::min(std::strlen(text), count);
    b.insert(b.end(), text, text + n);
    b.insert(b.end(), count - n, 0);
}
void Patch32(Bytes& b, size_t offset, int32_t v)
{
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b.at(offset + i) = static_cast<uint8_t>(u >> (8 * i));
}
int32_t Get32(const Bytes& b, size_t offset)
{
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | b.at(offset + i);
    return static_cast<int32_t>(u);
}

Bytes ThreadBlock(const std::vector<CustomThread>& threads)
{
    Bytes b;
    Put32(b, static_cast<int32_t>(threads.size()));
    for (const CustomThread& t : threads) {
        Put32(b, t.block);
        Put8(b, t.red);
        Put8(b, t.green);
        Put8(b, t.blue);
        Put8(b, t.marker);
        Put32(b, t.markDirection);
        if (t.further.size() == 32)
            PutBytes(b, t.further);
        else
            b.insert(b.end(), 32, 0xA5);  // a recognisable filler where none were given
    }
    return b;
}

Bytes EnhanceBlock(const std::vector<EnhanceEntry>& entries)
{
    Bytes b;
    PutText(b, "ENHANCE", 7);
    Put8(b, static_cast<uint8_t>(entries.size()));
    for (const EnhanceEntry& e : entries) {
        Put32(b, e.type);
        Put32(b, e.length ? *e.length : static_cast<int32_t>(e.data.size()));
    }
    for (const EnhanceEntry& e : entries)
        PutBytes(b, e.data);
    return b;
}

Bytes MakeEditBlock(const EditBlock& block)
{
    Bytes b;
    uint32_t sum = 0;
    for (const EditItem& item : block.items)
        for (uint8_t v : item.payload)
            sum += v;
    Put32(b, block.version);
    Put32(b, block.itemCount ? *block.itemCount : static_cast<int32_t>(block.items.size()));
    Put32(b, block.recordSize);
    Put32(b, static_cast<int32_t>(block.checksum ? *block.checksum : sum));
    for (const EditItem& item : block.items) {
        const size_t start = b.size();
        Put32(b, item.valueA);
        Put32(b, static_cast<int32_t>(item.payload.size()));
        Put32(b, item.offsetX);
        Put32(b, item.offsetY);
        Put32(b, item.scale);
        Put32(b, item.valueB);
        Put32(b, item.valueC);
        Put32(b, item.valueD);
        Put32(b, item.flag);
        while (b.size() - start < static_cast<size_t>(std::max(block.recordSize, 36)))
            b.push_back(0x5A);
    }
    for (const EditItem& item : block.items)
        PutBytes(b, item.payload);
    return b;
}

namespace {

int32_t ColorCount(const DesignLayout& layout)
{
    return layout.colorCount ? *layout.colorCount : static_cast<int32_t>(layout.palette.size());
}

int32_t WordCount(const DesignLayout& layout)
{
    return layout.wordCount ? *layout.wordCount : static_cast<int32_t>(layout.words.size() / 2);
}

void PutTables(Bytes& b, const DesignLayout& layout)
{
    for (int32_t p : layout.palette)
        Put32(b, p);
    for (size_t i = 0; i < layout.palette.size(); ++i)
        Put32(b, i < layout.threadTypes.size() ? layout.threadTypes[i] : DEFAULT_THREAD_TYPE);
}

// Pads, records the stitch offset and writes the stream; returns the offset.
uint32_t PutStream(Bytes& b, const DesignLayout& layout)
{
    b.insert(b.end(), layout.stitchPadding, 0);
    const uint32_t offset = static_cast<uint32_t>(b.size());
    PutBytes(b, layout.words);
    return offset;
}

void PutMakerTag(Bytes& b, const DesignLayout& layout, size_t& editOffsetAt)
{
    if (layout.makerTag) {
        const char tag[8] = {'K', 'E', 'L', 'T', 'R', 'A', 0, 0};
        b.insert(b.end(), tag, tag + 8);
        Put32(b, layout.version);
        editOffsetAt = b.size();
        Put32(b, layout.editOffset ? *layout.editOffset : 0);
    } else {
        PutText(b, "NOTAG", 8);
        b.insert(b.end(), 8, 0);  // where the version and edit block offset would be
    }
}

void PutEditBlock(Bytes& b, const DesignLayout& layout, size_t editOffsetAt)
{
    if (!layout.edit)
        return;
    if (editOffsetAt && !layout.editOffset)
        Patch32(b, editOffsetAt, static_cast<int32_t>(b.size()));
    PutBytes(b, MakeEditBlock(*layout.edit));
}

} // namespace

Bytes MakeQef(const DesignLayout& layout)
{
    Bytes b;
    Put32(b, 0);                    // stitch offset, patched below
    Put32(b, layout.extensionLevel);
    b.insert(b.end(), 16, 0);
    Put32(b, ColorCount(layout));
    Put32(b, WordCount(layout));
    Put32(b, layout.hoop);
    b.insert(b.end(), 80, 0);
    PutTables(b, layout);
    const uint32_t offset = PutStream(b, layout);
    Patch32(b, 0, static_cast<int32_t>(layout.stitchOffset ? *layout.stitchOffset : offset));
    if (layout.extensionLevel >= 20 && !layout.enhance.empty()) {
        const size_t pos = b.size();
        b.insert(b.end(), pos % 4, 0);  // the reader skips (position mod 4) bytes
        PutBytes(b, EnhanceBlock(layout.enhance));
    }
    return b;
}

Bytes MakeQefPlus(const DesignLayout& layout)
{
    Bytes b;
    Put32(b, 0);
    Put32(b, 0);
    b.insert(b.end(), 16, 0);
    Put32(b, ColorCount(layout));
    Put32(b, WordCount(layout));
    Put32(b, layout.hoop);
    b.insert(b.end(), 80, 0);
    PutTables(b, layout);
    PutBytes(b, ThreadBlock(layout.customThreads));
    Put32(b, 0);
    size_t editOffsetAt = 0;
    PutMakerTag(b, layout, editOffsetAt);
    if (layout.makerTag && layout.version >= 2)
        PutBytes(b, EnhanceBlock(layout.enhance));
    const uint32_t offset = PutStream(b, layout);
    Patch32(b, 0, static_cast<int32_t>(layout.stitchOffset ? *layout.stitchOffset : offset));
    PutEditBlock(b, layout, editOffsetAt);
    return b;
}

Bytes MakeQpx(const DesignLayout& layout)
{
    Bytes b;
    Put32(b, 0);   // stitch offset
    Put32(b, 0);
    Put32(b, 0);   // ENHANCE offset
    Put32(b, 0);   // data block offset
    b.insert(b.end(), 14, 0);
    Put8(b, layout.optionMarker ? 0x40 : 0);
    Put8(b, static_cast<uint8_t>(layout.designOption));
    Put32(b, ColorCount(layout));
    Put32(b, WordCount(layout));
    Put32(b, layout.hoop);
    b.insert(b.end(), 16, 0);
    PutTables(b, layout);
    PutBytes(b, ThreadBlock(layout.customThreads));
    size_t editOffsetAt = 0;
    PutMakerTag(b, layout, editOffsetAt);
    const uint32_t offset = PutStream(b, layout);
    Patch32(b, 0, static_cast<int32_t>(layout.stitchOffset ? *layout.stitchOffset : offset));
    if (!layout.enhance.empty()) {
        Patch32(b, 8, static_cast<int32_t>(b.size()));
        PutBytes(b, EnhanceBlock(layout.enhance));
    }
    if (layout.qpxData) {
        Patch32(b, 12, static_cast<int32_t>(b.size()));
        const char tag[4] = {'Q', 'P', 'X', 0};
        b.insert(b.end(), tag, tag + 4);
        Put32(b, static_cast<int32_t>(layout.qpxData->size()));
        Put32(b, layout.qpxValueA);
        Put32(b, layout.qpxValueB);
        PutBytes(b, *layout.qpxData);
    }
    PutEditBlock(b, layout, editOffsetAt);
    return b;
}

bool MakeNativeFile(const DesignLayout& layout, int nType, Bytes& out)
{
    switch (nType) {
    case CEmbFile::dftQef: out = MakeQef(layout); return true;
    case CEmbFile::dftQefPlus: out = MakeQefPlus(layout); return true;
    case CEmbFile::dftQpx: out = MakeQpx(layout); return true;
    default: return false;
    }
}

DesignLayout LayoutFromDesign(const CEmbData& data, int32_t hoop)
{
    DesignLayout layout;
    layout.hoop = hoop;
    const auto* p = reinterpret_cast<const uint8_t*>(data.m_pStitchWords);
    layout.words.assign(p, p + 2 * static_cast<size_t>(data.m_nStitchWordCount));
    for (int i = 0; i < data.m_nColorBlockCount; ++i) {
        const CLayerInfo& block = data.m_pColorBlocks[i];
        layout.palette.push_back(block.m_nPaletteIndex);
        layout.threadTypes.push_back(block.m_nThreadType);
        if (block.m_bCustom) {
            const CUSTOMTHREAD& t = block.m_customThread;
            CustomThread custom{i, t.bRed, t.bGreen, t.bBlue, t.bMarker, t.nMarkDirection,
                                Bytes(std::begin(t.abReserved), std::end(t.abReserved))};
            layout.customThreads.push_back(std::move(custom));
        }
    }
    return layout;
}

} // namespace native_design
