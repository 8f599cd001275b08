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

// Each step of the stitches, a move of at most 121 each way with its kind: a long stitch is several
// sewn steps, a long jump or colour change goes on with further jumps; the end has no move.
template <typename Emit>
void ForEachStep(const Stitches& stitches, Emit emit)
{
    for (const Stitch& s : stitches) {
        if (s.kind == Stitch::End) {
            emit(Stitch::End, 0, 0);
            continue;
        }
        int dx = s.dx, dy = s.dy;
        Stitch::Kind kind = s.kind;
        do {
            const int sx = Clamp(dx), sy = Clamp(dy);
            emit(kind, sx, sy);
            dx -= sx;
            dy -= sy;
            if (kind == Stitch::ColorChange)
                kind = Stitch::Jump;
        } while (dx != 0 || dy != 0);
    }
}

} // namespace

Bytes MakeWords(const Stitches& stitches)
{
    Bytes b;
    ForEachStep(stitches, [&](Stitch::Kind kind, int x, int y) {
        const uint8_t codes[] = {0, SC_JUMP, SC_COLOR_CHANGE, SC_END};
        if (kind != Stitch::Normal)
            PutCommand(b, codes[kind]);
        if (kind != Stitch::End)
            PutWord(b, x, y);
    });
    return b;
}

int ColorChangeCount(const Stitches& stitches)
{
    return static_cast<int>(std::count_if(stitches.begin(), stitches.end(),
                                          [](const Stitch& s) { return s.kind == Stitch::ColorChange; }));
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
    ForEachStep(stitches, [&](Stitch::Kind kind, int x, int y) {
        if (kind == Stitch::End) {
            PutBytes(b, {0, 0, 0xF3});
            return;
        }
        uint8_t b0, b1, b2;
        EncodeDstMove(x, y, b0, b1, b2);
        const uint8_t flags[] = {0, 0x80, 0xC0};
        PutBytes(b, {b0, b1, static_cast<uint8_t>(b2 | flags[kind])});
    });
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
