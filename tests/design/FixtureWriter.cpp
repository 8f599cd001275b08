#include "tests/design/FixtureWriter.h"

#include "design/EmbData.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace fixture {

namespace {

uint8_t Byte(int v) { return static_cast<uint8_t>(static_cast<int8_t>(v)); }

// Each step of the stitches, a move of at most 121 each way with its kind: a long stitch is several
// sewn steps, a long jump or colour change goes on with further jumps; the end has no move.
template <typename Emit>
void ForEachStep(const Stitches& stitches, Emit emit)
{
    for (const Stitch& s : stitches) {
        int dx = s.dx, dy = s.dy;
        Stitch::Kind kind = s.kind;
        if (kind == Stitch::End)
            dx = dy = 0;
        do {
            const int sx = std::clamp(dx, -121, 121), sy = std::clamp(dy, -121, 121);
            emit(kind, sx, sy);
            dx -= sx, dy -= sy;
            kind = kind == Stitch::ColorChange ? Stitch::Jump : kind;
        } while (dx != 0 || dy != 0);
    }
}

// Stitch words of a design (2 bytes each), moves split as DST needs.
Bytes MakeWords(const Stitches& stitches)
{
    Bytes b;
    ForEachStep(stitches, [&](Stitch::Kind kind, int x, int y) {
        const uint8_t codes[] = {0, SC_JUMP, SC_COLOR_CHANGE, SC_END};
        if (kind != Stitch::Normal)
            PutBytes(b, {0x80, codes[kind]});
        if (kind != Stitch::End)
            PutBytes(b, {Byte(x), Byte(y)});
    });
    return b;
}

} // namespace

DesignLayout LayoutFromStitches(const Stitches& stitches)
{
    DesignLayout layout;
    layout.words = MakeWords(stitches);
    for (int i = 0; i < 1 + std::count_if(stitches.begin(), stitches.end(), [](const Stitch& s) { return s.kind == Stitch::ColorChange; }); ++i)
        layout.palette.push_back(1 + i % 78);
    return layout;
}

void EncodeDstMove(int dx, int dy, uint8_t& b0, uint8_t& b1, uint8_t& b2)
{
    b0 = b1 = 0, b2 = 0x03;
    // Balanced ternary digits of weights 1, 3, 9, 27, 81 with their (plus, minus) bits.
    struct Bit { uint8_t* byte; uint8_t plus; uint8_t minus; };
    const Bit xBits[5] = {{&b0, 0x01, 0x02}, {&b1, 0x01, 0x02}, {&b0, 0x04, 0x08}, {&b1, 0x04, 0x08}, {&b2, 0x04, 0x08}};
    const Bit yBits[5] = {{&b0, 0x80, 0x40}, {&b1, 0x80, 0x40}, {&b0, 0x20, 0x10}, {&b1, 0x20, 0x10}, {&b2, 0x20, 0x10}};
    auto encode = [](int v, const Bit (&bits)[5]) {
        for (const Bit& bit : bits) {
            const int r = ((v % 3) + 3) % 3; // 1: a plus digit, 2: a minus one
            if (r != 0)
                *bit.byte |= r == 1 ? bit.plus : bit.minus;
            v = (v - (r == 1) + (r == 2)) / 3;
        }
    };
    encode(dx, xBits);
    encode(dy, yBits);
}

Bytes MakeDst(const Stitches& stitches)
{
    std::string header = "LA:fixture\rST:0\rCO:0\r";
    header.resize(512, ' ');
    header[511] = 0x1A;
    Bytes b(header.begin(), header.end());
    ForEachStep(stitches, [&](Stitch::Kind kind, int x, int y) {
        uint8_t b0 = 0, b1 = 0, b2 = 0xF3;
        const uint8_t flags[] = {0, 0x80, 0xC0};
        if (kind != Stitch::End) {
            EncodeDstMove(x, y, b0, b1, b2);
            b2 |= flags[kind];
        }
        PutBytes(b, {b0, b1, b2});
    });
    b.push_back(0x1A);
    return b;
}

Bytes MakeStx(const StxLayout& layout)
{
    Bytes b(68, 0);
    const uint16_t nCount = layout.recordCount ? *layout.recordCount : static_cast<uint16_t>(layout.records.size());
    const std::pair<size_t, uint16_t> fields[] = {{36, layout.headerSize}, {40, nCount},           {46, layout.widthNum},
                                                  {48, layout.widthDen},   {52, layout.lengthNum}, {54, layout.lengthDen}};
    for (const auto& [at, v] : fields)
        b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
    for (const StxRecord& r : layout.records)
        PutBytes(b, {r.b0, r.b1, r.b2, r.b3});
    return b;
}

StxLayout WellFormedStx(int points)
{
    StxLayout layout{{StxCommand(0x03)}};
    for (int i = 0; i < points; ++i)
        layout.records.push_back(StxPoint(i % 2 ? 10 : 34, 4));
    layout.records.insert(layout.records.end(), {StxCommand(0x00), StxPoint(22, 2), StxPoint(22, 2), StxPoint(22, 2), StxCommand(0xFF)});
    return layout;
}

Bytes MakeRandomWords(int nWords, int nColors, uint32_t seed, int bound)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> step(-40, 40);
    Bytes b;
    int x = 0, y = 0;
    // A step of the random walk, turned back at the bound.
    auto walk = [&] {
        int dx = step(rng), dy = step(rng);
        x += dx = std::abs(x + dx) > bound ? -dx : dx;
        y += dy = std::abs(y + dy) > bound ? -dy : dy;
        PutBytes(b, {Byte(dx), Byte(dy)});
    };
    // Jump + move at the start, colour change + move per further block, end: 3 + 2 (nColors - 1)
    // words of structure; the rest are stitches spread over the blocks.
    const int stitches = std::max(nColors, nWords - (3 + 2 * (nColors - 1)));
    PutBytes(b, {0x80, SC_JUMP});
    walk();
    for (int block = 0; block < nColors; ++block) {
        if (block > 0) {
            PutBytes(b, {0x80, SC_COLOR_CHANGE});
            walk();
        }
        for (int i = 0; i < stitches / nColors + (block < stitches % nColors ? 1 : 0); ++i)
            walk();
    }
    PutBytes(b, {0x80, SC_END});
    return b;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    return bool(std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())));
}

Bytes ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace fixture
