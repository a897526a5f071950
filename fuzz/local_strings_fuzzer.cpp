// Feeds arbitrary bytes as "td/strings_en.csv" and looks every key up again.
#include "Source/TD/Shell/LocalStrings.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    LocalStrings* strings = LocalStrings::Instance();
    strings->appendPath = L"/nonexistent/strings_en.csv"; // nothing is written
    strings->table.clear();
    strings->parse(std::string(reinterpret_cast<const char*>(data), size));
    const auto table = strings->table;
    for (const auto& [key, text] : table)
        if (strings->get(key).size() > text.size())
            __builtin_trap();
    return 0;
}
