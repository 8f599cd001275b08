#include "host/cli/DesignErrorText.h"

#include "design/EmbFile.h"

const char* DesignErrorText(int nError)
{
    switch (nError) {
    case CEmbFile::feBadHeader: return "its header is not a design header";
    case CEmbFile::feNoColors: return "it has no colour blocks";
    case CEmbFile::feNoStitches: return "it has no stitches";
    case CEmbFile::feNoMemory: return "it is too large to hold in memory";
    case CEmbFile::feColorTable: return "its colour table is cut short";
    case CEmbFile::feTypeTable: return "its thread type table is cut short";
    case CEmbFile::feStitchData: return "its stitch data is cut short";
    case CEmbFile::feBadStitches: return "its stitches do not form a design";
    case CEmbFile::feExtension: return "its extension block is damaged";
    case CEmbFile::feDstData: return "its stitch records are damaged";
    default: return "it is not a design the machine can use";
    }
}
