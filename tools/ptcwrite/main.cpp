// ptcwrite: turns a text description of particle effects into a ".ptc" effect file.
//
//   ptcwrite DESCRIPTION OUTPUT     DESCRIPTION may be "-" for standard input
//
// The statements of the description are listed in Platform/Magic/PtcText.h. On any
// error the tool prints one line to stderr, leaves OUTPUT untouched and exits with 1.
#include "Platform/Magic/PtcText.h"
#include "Platform/Magic/PtcWriter.h"
#include "tools/common/ToolFiles.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: ptcwrite DESCRIPTION OUTPUT\n";
        return 1;
    }
    const std::string input = argv[1], output = argv[2];
    std::string text;
    if (!tools::ReadAll(input, text)) {
        std::cerr << "ptcwrite: cannot read " << input << "\n";
        return 1;
    }
    magic::PtcDocument document;
    std::string error;
    std::vector<unsigned char> bytes;
    if (!magic::ParsePtcText(text, document, error) || !magic::WritePtcDocument(document, bytes, error)) {
        std::cerr << "ptcwrite: " << input << ": " << error << "\n";
        return 1;
    }
    if (!tools::ReplaceFile(output, bytes)) {
        std::cerr << "ptcwrite: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
