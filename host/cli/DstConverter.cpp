#include "host/cli/DstConverter.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "design/MachineFileCheck.h"
#include "host/cli/DesignErrorText.h"
#include "design/NativeDesignWriter.h"

#include <cstring>

namespace {

constexpr size_t kDstHeaderSize = 512;

std::string Millimetres(int nTenths)
{
    return std::to_string(nTenths / 10) + "." + std::to_string(nTenths % 10) + " mm";
}

std::string LimitText(CMachineFileCheck::CheckResult result, const CEmbData& design)
{
    const EMBEXTENTS& e = design.m_extents;
    switch (result) {
    case CMachineFileCheck::mfcTooManyLayers:
        return "it has " + std::to_string(design.m_nColorBlockCount) + " colour blocks; the machine takes at most " +
               std::to_string(CMachineFileCheck::MAX_COLOR_BLOCKS);
    case CMachineFileCheck::mfcTooManyStitches:
        return "it has " + std::to_string(design.m_nStitchWordCount) + " stitch words; the machine takes at most " +
               std::to_string(CMachineFileCheck::MAX_STITCH_WORDS);
    case CMachineFileCheck::mfcTooLarge:
        return "it reaches " + Millimetres(e.nLeft) + " left, " + Millimetres(e.nRight) + " right, " +
               Millimetres(e.nUp) + " up and " + Millimetres(e.nDown) + " down from its start; the editing area reaches " +
               Millimetres(CMachineFileCheck::MAX_HALF_WIDTH) + " to each side and " +
               Millimetres(CMachineFileCheck::MAX_HALF_HEIGHT) + " up and down";
    default:
        return "its stitches do not form a design";
    }
}

bool SameBlocks(const CEmbData& a, const CEmbData& b)
{
    if (a.m_nColorBlockCount != b.m_nColorBlockCount)
        return false;
    for (int i = 0; i < a.m_nColorBlockCount; ++i)
        if (a.m_pColorBlocks[i].m_nPaletteIndex != b.m_pColorBlocks[i].m_nPaletteIndex)
            return false;
    return true;
}

bool SameExtents(const EMBEXTENTS& a, const EMBEXTENTS& b)
{
    return a.nLeft == b.nLeft && a.nUp == b.nUp && a.nRight == b.nRight && a.nDown == b.nDown;
}

} // namespace

bool ConvertDstToNative(const std::vector<uint8_t>& dst, int nType, std::vector<uint8_t>& out, std::string& strWhy)
{
    out.clear();
    if (nType != CEmbFile::dftQef && nType != CEmbFile::dftQefPlus && nType != CEmbFile::dftQpx) {
        strWhy = "the machine's formats are .qef, .qef+ and .qpx";
        return false;
    }
    // The reader skips the header unread; a file that does not open with the label field is some
    // other file whose bytes would still decode as stitch records.
    if (dst.size() <= kDstHeaderSize || std::memcmp(dst.data(), "LA:", 3) != 0) {
        strWhy = dst.size() <= kDstHeaderSize ? "it is too short for a DST design" : "it has no DST header";
        return false;
    }
    CEmbFile reader(CEmbFile::dftDst);
    CEmbData design;
    if (!reader.ReadBuffer(dst.data(), dst.size(), design) || design.m_nStatus <= 0) {
        strWhy = DesignErrorText(reader.GetLastFileError());
        return false;
    }
    design.UpdateExtents();
    const CMachineFileCheck::CheckResult limits = CMachineFileCheck::CheckDesignLimits(design);
    if (limits != CMachineFileCheck::mfcOk) {
        strWhy = LimitText(limits, design);
        return false;
    }

    // The words the reader validated: an empty colour block is already a jump, so the native
    // reader finds the same blocks.
    std::vector<uint8_t> bytes;
    native_design::MakeNativeFile(native_design::LayoutFromDesign(design, reader.GetHoopCode()), nType, bytes);

    CEmbFile check(nType);
    CEmbData written;
    if (!check.ReadBuffer(bytes.data(), bytes.size(), written) || written.m_nStatus <= 0) {
        strWhy = "the written design does not read back";
        return false;
    }
    written.UpdateExtents();
    if (written.m_nStitchWordCount != design.m_nStitchWordCount || !SameBlocks(written, design) ||
        !SameExtents(written.m_extents, design.m_extents) ||
        CMachineFileCheck::CheckDesignLimits(written) != CMachineFileCheck::mfcOk) {
        strWhy = "the written design reads back different from the DST design";
        return false;
    }
    out = std::move(bytes);
    return true;
}
