#pragma once
// Layered screen documents for the HUD tests: a folder with "layers.xml" below the
// test's working folder. No pixels; windows read names and rectangles only.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace hudtest {

struct Layer {
    std::string name;
    int x = 0, y = 0, w = 10, h = 10, index = 0;
};

inline void WriteDocument(const std::string& folder, const std::vector<Layer>& layers)
{
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream out(folder + "/layers.xml", std::ios::binary);
    out << "<Layers>\n";
    for (const Layer& l : layers)
        out << "  <Layer name=\"" << l.name << "\" x=\"" << l.x << "\" y=\"" << l.y << "\" width=\"" << l.w
            << "\" height=\"" << l.h << "\" ind=\"" << l.index << "\"/>\n";
    out << "</Layers>\n";
}

inline void WriteRaw(const std::string& folder, const std::string& text)
{
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/layers.xml", std::ios::binary) << text;
}

} // namespace hudtest
