// Feeds arbitrary bytes as "td/config.xml": the switches, the start-up settings and
// the premium products read from them.
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/GameConfig.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    FeatureConfig config;
    config.parse(text);
    for (const char* name : {"in_app_purchases", "publisher_url", "effect_immunity", "game_name", ""}) {
        config.getBool(name, "is_active");
        config.getFloat(name, "delay");
        config.getString(name, "value");
    }
    config.applyFlags();
    ResetFeatureFlags();
    GameConfig products;
    products.parse(text);
    for (const auto& [name, cost] : products.costs)
        if (!products.hasProduct(name))
            __builtin_trap();
    return 0;
}
