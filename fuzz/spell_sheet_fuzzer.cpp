// Feeds arbitrary bytes as "td/spells_sheet.csv" and looks every spell up again.
#include "Source/TD/Towers/SpellTable.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    SpellTable table;
    table.parse(std::string(reinterpret_cast<const char*>(data), size), L"fuzz/spells_sheet.csv");
    for (const SpellDefinition* definition : table.definitions) {
        const SpellDefinition* found = table.find(definition->spellId);
        if (!found || found->spellId != definition->spellId)
            __builtin_trap();
    }
    return 0;
}
