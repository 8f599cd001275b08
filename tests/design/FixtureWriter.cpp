#include "tests/design/FixtureWriter.h"

#include "design/EmbData.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace fixture {

namespace {

constexpr int MAX_STEP = 121;

int Clamp(int v) { return std::max(-MAX_STEP, std::min(MAX_STEP, v)); }

void PutWord(Bytes& b, int dx, int dy)
{
    b.push_back(static_cast<uint8_t>(static_cast<int8_t>(dx)));
    b.push_back(static_cast<uint8_t>(static_cast<int8_t>(dy)));
}

void PutCommand(Bytes& b, uint8_t code)
{
    b.push_back(0x80);
    b.push_back(code);
}

// Splits a move into steps of at most 121 each way.
std::vector<std::pair<int, int>> Steps(int dx, int dy)
{
    std::vector<std::pair<int, int>> steps;
    do {
        const int sx = Clamp(dx);
        const int sy = Clamp(dy);
        steps.emplace_back(sx, sy);
        dx -= sx;
        dy -= sy;
    } while (dx != 0 || dy != 0);
    return steps;
}

} // namespace

Bytes MakeWords(const Stitches& stitches)
{
    Bytes b;
    for (const Stitch& s : stitches) {
        const auto steps = Steps(s.dx, s.dy);
        switch (s.kind) {
        case Stitch::Normal:
            for (auto [x, y] : steps)
                PutWord(b, x, y);
            break;
        case Stitch::Jump:
            for (auto [x, y] : steps) {
                PutCommand(b, SC_JUMP);
                PutWord(b, x, y);
            }
            break;
        case Stitch::ColorChange:
            PutCommand(b, SC_COLOR_CHANGE);
            PutWord(b, steps[0].first, steps[0].second);
            for (size_t i = 1; i < steps.size(); ++i) {
                PutCommand(b, SC_JUMP);
                PutWord(b, steps[i].first, steps[i].second);
            }
            break;
        case Stitch::End:
            PutCommand(b, SC_END);
            break;
        }
    }
    return b;
}

int ColorChangeCount(const Stitches& stitches)
{
    return static_cast<int>(std::count_if(stitches.begin(), stitches.end(),
                                          [](const Stitch& s) { return s.kind == Stitch::ColorChange; }));
}

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
        b.insert(b.end(), 32, 0xA5);  // the 32 further bytes, kept as read
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

DesignLayout LayoutFromStitches(const Stitches& stitches)
{
    DesignLayout layout;
    layout.words = MakeWords(stitches);
    const int blocks = ColorChangeCount(stitches) + 1;
    for (int i = 0; i < blocks; ++i)
        layout.palette.push_back(1 + i % 78);
    return layout;
}

DesignLayout LayoutFromDesign(const CEmbData& data)
{
    DesignLayout layout;
    const auto* p = reinterpret_cast<const uint8_t*>(data.m_pStitchWords);
    layout.words.assign(p, p + 2 * static_cast<size_t>(data.m_nStitchWordCount));
    for (int i = 0; i < data.m_nColorBlockCount; ++i) {
        layout.palette.push_back(data.m_pColorBlocks[i].m_nPaletteIndex);
        layout.threadTypes.push_back(data.m_pColorBlocks[i].m_nThreadType);
    }
    return layout;
}

void EncodeDstMove(int dx, int dy, uint8_t& b0, uint8_t& b1, uint8_t& b2)
{
    b0 = b1 = 0;
    b2 = 0x03;
    // Balanced ternary digits of weights 1, 3, 9, 27, 81 with their (plus, minus) bits.
    struct Bit { uint8_t* byte; uint8_t plus; uint8_t minus; };
    const Bit xBits[5] = {{&b0, 0x01, 0x02}, {&b1, 0x01, 0x02}, {&b0, 0x04, 0x08}, {&b1, 0x04, 0x08}, {&b2, 0x04, 0x08}};
    const Bit yBits[5] = {{&b0, 0x80, 0x40}, {&b1, 0x80, 0x40}, {&b0, 0x20, 0x10}, {&b1, 0x20, 0x10}, {&b2, 0x20, 0x10}};
    auto encode = [](int v, const Bit (&bits)[5]) {
        for (int k = 0; k < 5; ++k) {
            int r = ((v % 3) + 3) % 3;
            if (r == 1) {
                *bits[k].byte |= bits[k].plus;
                v -= 1;
            } else if (r == 2) {
                *bits[k].byte |= bits[k].minus;
                v += 1;
            }
            v /= 3;
        }
    };
    encode(dx, xBits);
    encode(dy, yBits);
}

Bytes MakeDst(const Stitches& stitches)
{
    Bytes b;
    std::string header = "LA:fixture\rST:0\rCO:0\r";
    header.resize(512, ' ');
    header[511] = 0x1A;
    b.insert(b.end(), header.begin(), header.end());
    auto record = [&](int dx, int dy, uint8_t flags) {
        uint8_t b0, b1, b2;
        EncodeDstMove(dx, dy, b0, b1, b2);
        b.push_back(b0);
        b.push_back(b1);
        b.push_back(static_cast<uint8_t>(b2 | flags));
    };
    for (const Stitch& s : stitches) {
        const auto steps = Steps(s.dx, s.dy);
        switch (s.kind) {
        case Stitch::Normal:
            for (auto [x, y] : steps)
                record(x, y, 0);
            break;
        case Stitch::Jump:
            for (auto [x, y] : steps)
                record(x, y, 0x80);
            break;
        case Stitch::ColorChange:
            record(steps[0].first, steps[0].second, 0xC0);
            for (size_t i = 1; i < steps.size(); ++i)
                record(steps[i].first, steps[i].second, 0x80);
            break;
        case Stitch::End:
            b.push_back(0);
            b.push_back(0);
            b.push_back(0xF3);
            break;
        }
    }
    b.push_back(0x1A);
    return b;
}

Bytes MakeStx(const StxLayout& layout)
{
    Bytes b(68, 0);
    auto put16 = [&](size_t at, uint16_t v) {
        b[at] = static_cast<uint8_t>(v);
        b[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put16(36, layout.headerSize);
    put16(40, layout.recordCount ? *layout.recordCount : static_cast<uint16_t>(layout.records.size()));
    put16(46, layout.widthNum);
    put16(48, layout.widthDen);
    put16(52, layout.lengthNum);
    put16(54, layout.lengthDen);
    for (const StxRecord& r : layout.records) {
        b.push_back(r.b0);
        b.push_back(r.b1);
        b.push_back(r.b2);
        b.push_back(r.b3);
    }
    return b;
}

StxLayout WellFormedStx(int points)
{
    StxLayout layout;
    layout.records.push_back(StxCommand(0x03));
    for (int i = 0; i < points; ++i)
        layout.records.push_back(StxPoint(i % 2 ? 10 : 34, 4));
    layout.records.push_back(StxCommand(0x00));
    for (int i = 0; i < 3; ++i)
        layout.records.push_back(StxPoint(22, 2));
    layout.records.push_back(StxCommand(0xFF));
    return layout;
}

Bytes MakeRandomWords(int nWords, int nColors, uint32_t seed, int bound)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> step(-40, 40);
    Bytes b;
    int x = 0, y = 0;
    auto walk = [&](int& dx, int& dy) {
        dx = step(rng);
        dy = step(rng);
        if (x + dx > bound || x + dx < -bound)
            dx = -dx;
        if (y + dy > bound || y + dy < -bound)
            dy = -dy;
        x += dx;
        y += dy;
    };
    // Jump + move at the start, colour change + move per further block, end: 3 + 2 (nColors - 1)
    // words of structure; the rest are stitches spread over the blocks.
    const int structure = 3 + 2 * (nColors - 1);
    const int stitches = std::max(nColors, nWords - structure);
    int dx, dy;
    PutCommand(b, SC_JUMP);
    walk(dx, dy);
    PutWord(b, dx, dy);
    for (int block = 0; block < nColors; ++block) {
        if (block > 0) {
            PutCommand(b, SC_COLOR_CHANGE);
            walk(dx, dy);
            PutWord(b, dx, dy);
        }
        const int count = stitches / nColors + (block < stitches % nColors ? 1 : 0);
        for (int i = 0; i < count; ++i) {
            walk(dx, dy);
            PutWord(b, dx, dy);
        }
    }
    PutCommand(b, SC_END);
    return b;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Bytes ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace fixture
