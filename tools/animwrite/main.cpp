// animwrite: turns a text description into an animation file or a ".lib" mesh library.
//
//   animwrite anim DESCRIPTION OUTPUT
//   animwrite lib DESCRIPTION OUTPUT      DESCRIPTION may be "-" for standard input
//
// The statements of both descriptions are listed in tools/animwrite/AnimWriter.h. On
// any error the tool prints one line to stderr, leaves OUTPUT untouched and exits with 1.
#include "tools/animwrite/AnimWriter.h"

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
    const std::string kind = argc == 4 ? argv[1] : "";
    if (kind != "anim" && kind != "lib") {
        std::cerr << "usage: animwrite anim|lib DESCRIPTION OUTPUT\n";
        return 1;
    }
    const std::string input = argv[2], output = argv[3];
    std::string text;
    if (!ReadAll(input, text)) {
        std::cerr << "animwrite: cannot read " << input << "\n";
        return 1;
    }
    std::string error;
    std::vector<u8> bytes;
    if (kind == "anim") {
        animwrite::Animation animation;
        if (!animwrite::ParseAnimationText(text, animation, error)) {
            std::cerr << "animwrite: " << input << ": " << error << "\n";
            return 1;
        }
        bytes = animwrite::WriteAnimation(animation);
    } else {
        animwrite::MeshLibraryFile library;
        if (!animwrite::ParseMeshLibraryText(text, library, error)) {
            std::cerr << "animwrite: " << input << ": " << error << "\n";
            return 1;
        }
        bytes = animwrite::WriteMeshLibrary(library);
    }
    // Written beside the target and renamed, so a failed write never leaves half a file.
    const std::string temporary = output + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            std::cerr << "animwrite: cannot write " << output << "\n";
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::remove(temporary.c_str());
        std::cerr << "animwrite: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
