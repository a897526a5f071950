// animwrite: turns a text description into an animation file or a ".lib" mesh library.
//
//   animwrite anim DESCRIPTION OUTPUT
//   animwrite lib DESCRIPTION OUTPUT      DESCRIPTION may be "-" for standard input
//
// The statements of both descriptions are listed in tools/animwrite/AnimWriter.h. On
// any error the tool prints one line to stderr, leaves OUTPUT untouched and exits with 1.
#include "tools/animwrite/AnimWriter.h"
#include "tools/common/ToolFiles.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::string kind = argc == 4 ? argv[1] : "";
    if (kind != "anim" && kind != "lib") {
        std::cerr << "usage: animwrite anim|lib DESCRIPTION OUTPUT\n";
        return 1;
    }
    const std::string input = argv[2], output = argv[3];
    std::string text;
    if (!tools::ReadAll(input, text)) {
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
    if (!tools::ReplaceFile(output, bytes)) {
        std::cerr << "animwrite: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
