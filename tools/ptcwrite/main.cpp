// ptcwrite: turns a text description of particle effects into a ".ptc" effect file.
//
//   ptcwrite DESCRIPTION OUTPUT     DESCRIPTION may be "-" for standard input
//
// The statements of the description are listed in Platform/Magic/PtcText.h. On any
// error the tool prints one line to stderr, leaves OUTPUT untouched and exits with 1.
#include "Platform/Magic/PtcText.h"
#include "Platform/Magic/PtcWriter.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

bool ReadAll(const std::string& path, std::string& text)
{
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: ptcwrite DESCRIPTION OUTPUT\n";
        return 1;
    }
    const std::string input = argv[1], output = argv[2];
    std::string text;
    if (!ReadAll(input, text)) {
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
    // Written beside the target and renamed, so a failed write never leaves half a file.
    const std::string temporary = output + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            std::cerr << "ptcwrite: cannot write " << output << "\n";
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::remove(temporary.c_str());
        std::cerr << "ptcwrite: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
