#pragma once
// The premium products of "td/config.xml" (config > premium_products >
// premium_product): their names and costs, read once.
#include "Core/Base/Types.h"
#include <map>
#include <string>

class GameConfig {
public:
    // Reads the products on first use.
    static GameConfig* instance();

    // Replaces the map by the products of `text` (the whole configuration file).
    void parse(const std::string& text);

    bool hasProduct(const std::string& name) const { return costs.count(name) != 0; }
    // The cost of a product; a name that is not there is added with cost 0, so
    // callers ask hasProduct first.
    i32& cost(const std::string& name) { return costs[name]; }

    std::map<std::string, i32> costs; // product name (UTF-8) -> cost
};
