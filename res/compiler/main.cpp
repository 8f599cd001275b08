// tavren-rc: compiles a resource script into a C++ source of constant tables.
//
//   tavren-rc [-I dir]... [-d depfile] script.rc output.cpp
//
// -I adds a folder searched for #include files and for BITMAP and ICON files (after the
// script's own folder); -d writes a make-style list of the files read, for rebuilds.
#include "res/compiler/ImageFile.h"
#include "res/compiler/RcParser.h"
#include "res/compiler/RcTokenizer.h"
#include "res/compiler/RcWriter.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <set>

using namespace tavren::rc;

namespace {
std::string FindFile(const std::string& strName, const std::vector<std::string>& dirs)
{
    for (const std::string& d : dirs) {
        std::string strPath = d + "/" + strName;
        std::ifstream probe(strPath, std::ios::binary);
        if (probe)
            return strPath;
    }
    return {};
}
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> includeDirs;
    std::string strDepFile;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "-I" || a == "-d") && i + 1 < argc) {
            (a == "-I" ? includeDirs.emplace_back(argv[++i]) : strDepFile = argv[++i]);
        } else if (a.rfind("-I", 0) == 0 && a.size() > 2) {
            includeDirs.push_back(a.substr(2));
        } else {
            args.push_back(a);
        }
    }
    if (args.size() != 2) {
        std::cerr << "usage: tavren-rc [-I dir]... [-d depfile] script.rc output.cpp\n";
        return 2;
    }
    const std::string& strScript = args[0];
    size_t nSlash = strScript.rfind('/');
    std::string strDir = nSlash == std::string::npos ? "." : strScript.substr(0, nSlash);
    std::string strName = nSlash == std::string::npos ? strScript : strScript.substr(nSlash + 1);
    std::vector<std::string> fileDirs{strDir};
    fileDirs.insert(fileDirs.end(), includeDirs.begin(), includeDirs.end());
    std::set<std::string> deps{strScript};

    try {
        CRcTokenizer tokenizer(includeDirs);
        std::vector<Token> tokens = tokenizer.Run(strScript);
        auto readFile = [&](const Token& t, std::vector<uint8_t>& bytes) {
            std::string strFile(t.strValue.begin(), t.strValue.end());
            std::string strPath = FindFile(strFile, fileDirs);
            if (strPath.empty() || !CImageFile::ReadAll(strPath, bytes))
                throw RcError(t.strFile, t.nLine, "cannot find or read " + strFile);
            deps.insert(strPath);
            return strFile;
        };
        CRcParser parser(
            tokens,
            [&](BitmapDef& bitmap, const Token& t) {
                std::vector<uint8_t> bytes;
                bitmap.strFile = readFile(t, bytes);
                std::string strError;
                if (!CImageFile::DecodeBmp(bytes, bitmap.image, strError))
                    throw RcError(t.strFile, t.nLine, bitmap.strFile + ": " + strError);
            },
            [&](IconDef& icon, const Token& t) {
                std::vector<uint8_t> bytes;
                icon.strFile = readFile(t, bytes);
                std::string strError;
                if (!CImageFile::DecodeIco(bytes, icon.images, strError))
                    throw RcError(t.strFile, t.nLine, icon.strFile + ": " + strError);
            });
        RcScript script = parser.Parse(strName);
        std::ostringstream ss;
        CRcWriter::Write(script, ss);
        // Write only when changed, so an unchanged script rebuilds nothing downstream.
        std::string strOld;
        {
            std::ifstream in(args[1], std::ios::binary);
            std::ostringstream old;
            if (in) {
                old << in.rdbuf();
                strOld = old.str();
            }
        }
        if (strOld != ss.str()) {
            std::ofstream out(args[1], std::ios::binary | std::ios::trunc);
            out << ss.str();
            if (!out) {
                std::cerr << "tavren-rc: cannot write " << args[1] << "\n";
                return 1;
            }
        }
    } catch (const RcError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    if (!strDepFile.empty()) {
        std::ofstream dep(strDepFile, std::ios::trunc);
        dep << args[1] << ":";
        for (const std::string& d : deps)
            dep << " \\\n  " << d;
        dep << "\n";
    }
    return 0;
}
