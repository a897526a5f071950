// The sounds sheet reader on arbitrary text.
#include "Source/TD/Audio/SoundTags.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto lines = k2::SoundTags::parseSheet(text);
    size_t total = 0;
    for (const auto& line : lines)
        total += line.name.size() + line.file.size();
    // Every character of a name or file comes from at least one byte of the text.
    if (total > text.size())
        __builtin_trap();
    return 0;
}
