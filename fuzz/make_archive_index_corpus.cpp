// Writes small pack files with the engine's writer into the folder given as the
// first argument: the seed corpus of fuzz_archive_index.
#include "Core/Base/MemoryStream.h"
#include "Core/File/ArchiveIndex.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

namespace {

std::string Pack(const std::map<std::wstring, std::string>& files)
{
    file::ArchiveIndex index;
    for (const auto& [name, bytes] : files)
        index.entries[name] = file::ArchiveEntry{static_cast<u32>(bytes.size()), 0, 0, 0};
    index.AssignOffsets();
    base::MemoryStream out(nullptr, 0);
    index.Write(out);
    for (const auto& [name, entry] : index.entries) {
        const std::string& bytes = files.at(name);
        base::MemoryStream source(bytes.data(), static_cast<u32>(bytes.size()));
        out.CopyFrom(source, 0xFFFFFFFFu);
    }
    return std::string(reinterpret_cast<const char*>(out.Data()), out.GetSize());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::map<std::string, std::map<std::wstring, std::string>> seeds = {
        {"empty.gepack", {}},
        {"one.gepack", {{L"a.xml", "<a/>"}}},
        {"folders.gepack",
         {{L"images/b.png", "png"}, {L"images/icons/c.png", "c"}, {L"sounds/d.ogg", "oggs"}, {L"e.txt", ""}}},
        {"wide_names.gepack", {{L"\u0142\u00f3d\u017a.txt", "pl"}, {L"\U0001F600.txt", "smile"}}},
        {"larger.gepack", {{L"big.bin", std::string(600, 'x')}, {L"small.bin", "s"}}},
    };
    for (const auto& [file, files] : seeds) {
        const std::string bytes = Pack(files);
        std::ofstream(std::string(argv[1]) + "/" + file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    return 0;
}
