#include "Source/TD/Shell/GameConfig.h"
#include "Core/File/FileUtils.h"
#include "Source/TD/Shell/FeatureConfig.h"

#include <tinyxml2.h>

GameConfig* GameConfig::instance()
{
    static GameConfig config;
    static const bool loadedOnce = (config.parse(file::ReadUtf8TextFile(L"td/config.xml")), true);
    (void)loadedOnce;
    return &config;
}

void GameConfig::parse(const std::string& text)
{
    costs.clear();
    tinyxml2::XMLDocument document;
    if (text.empty() || document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        return;
    const tinyxml2::XMLElement* root = document.FirstChildElement("config");
    const tinyxml2::XMLElement* products = root ? root->FirstChildElement("premium_products") : nullptr;
    if (!products)
        return;
    for (const tinyxml2::XMLElement* product = products->FirstChildElement("premium_product"); product;
         product = product->NextSiblingElement("premium_product")) {
        const char* name = product->Attribute("name");
        if (name)
            costs[name] = ReadIntAttribute(product, "cost");
    }
}
