#pragma once
// Layered-image folders for the skinned-control tests: "layers.xml" and one opaque
// TGA per entry, written into a temporary working folder that the tests run in.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace skintest {

namespace fs = std::filesystem;

struct Entry {
    std::string name;
    int x, y, w, h;
};

inline void WriteTga(const fs::path& path, int w, int h, std::uint32_t argb)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = char(w & 0xFF);
    bytes[13] = char(w >> 8);
    bytes[14] = char(h & 0xFF);
    bytes[15] = char(h >> 8);
    bytes[16] = 32;
    bytes[17] = 0x28;
    for (int i = 0; i < w * h; ++i) {
        for (int shift : {0, 8, 16, 24})
            bytes += char((argb >> shift) & 0xFF);
    }
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline void WriteSkin(const fs::path& folder, const std::vector<Entry>& entries)
{
    fs::create_directories(folder);
    std::ofstream xml(folder / "layers.xml");
    xml << "<Layers>\n";
    int index = 0;
    for (const Entry& e : entries) {
        xml << "<Layer name='" << e.name << "' x='" << e.x << "' y='" << e.y << "' width='" << e.w << "' height='"
            << e.h << "' opacity='255' ind='" << index++ << "'/>\n";
        WriteTga(folder / (e.name + ".tga"), e.w, e.h, 0xFF336699u);
    }
    xml << "</Layers>\n";
}

// Runs the test in a fresh temporary folder and leaves it afterwards.
class TempFolder {
public:
    explicit TempFolder(const std::string& name)
    {
        folder = fs::temp_directory_path() / (name + "-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        previous = fs::current_path();
        fs::current_path(folder);
    }
    ~TempFolder()
    {
        fs::current_path(previous);
        fs::remove_all(folder);
    }
    fs::path folder;
    fs::path previous;
};

} // namespace skintest
