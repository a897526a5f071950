#include "Source/TD/Shell/FeatureConfig.h"
#include "Core/File/FileUtils.h"

#include <cstdio>
#include <tinyxml2.h>

bool gCopyrightsActive = false;
float gDifficulty = 1.0f;
std::string gGameName = "ZavavEdovari";
bool gEditionHd = false;
bool gEffectImmunityActive = true;
float gEffectImmunityDelay = 2.0f;
bool gInAppPurchases = true;
bool gPremiumPointsTowerBuy = true;
bool gPremiumPointsTowerUpgrade = true;
bool gPublisherExeActive = false;
bool gPublisherExeCheck = false;
std::string gPublisherExeFileName;
bool gPublisherUrlActive = false;
bool gPublisherUrlCheck = false;
bool gPublisherUrlOpenOnStart = false;
bool gPublisherUrlOpenOnClose = false;
bool gResetUpgradesActive = true;
bool gResetUpgradesFree = true;
bool gSingleProfile = false;
bool gSpellReload = true;
bool gWideScreenMode = true;

void ResetFeatureFlags()
{
    gCopyrightsActive = false;
    gDifficulty = 1.0f;
    gGameName = "ZavavEdovari";
    gEditionHd = false;
    gEffectImmunityActive = true;
    gEffectImmunityDelay = 2.0f;
    gInAppPurchases = true;
    gPremiumPointsTowerBuy = true;
    gPremiumPointsTowerUpgrade = true;
    gPublisherExeActive = false;
    gPublisherExeCheck = false;
    gPublisherExeFileName.clear();
    gPublisherUrlActive = false;
    gPublisherUrlCheck = false;
    gPublisherUrlOpenOnStart = false;
    gPublisherUrlOpenOnClose = false;
    gResetUpgradesActive = true;
    gResetUpgradesFree = true;
    gSingleProfile = false;
    gSpellReload = true;
    gWideScreenMode = true;
}

FeatureConfig* FeatureConfig::instance()
{
    static FeatureConfig config;
    static const bool loadedOnce = (config.load(), true);
    (void)loadedOnce;
    return &config;
}

FeatureConfig::FeatureConfig() = default;
FeatureConfig::~FeatureConfig() = default;

void FeatureConfig::load()
{
    if (loaded)
        return;
    parse(file::ReadUtf8TextFile(L"td/config.xml"));
}

void FeatureConfig::parse(const std::string& text)
{
    loaded = false;
    features = nullptr;
    featureSet = FeatureSet();
    document = std::make_unique<tinyxml2::XMLDocument>();
    if (text.empty() || document->Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        return;
    const tinyxml2::XMLElement* root = document->RootElement();
    if (!root || std::string(root->Name()) != "config")
        return;
    features = root->FirstChildElement("features");
    loaded = true;
    const auto active = [this](const char* name) { return getBool(name, "is_active"); };
    featureSet.boostShopPremiumMode = active("boost_shop_premium_mode");
    featureSet.inAppPurchases = active("in_app_purchases");
    featureSet.lowPremiumPointsDialog = active("low_premium_points_dialog");
    featureSet.premiumPointsOnLevelComplete = active("premium_points_on_level_complete");
    featureSet.premiumPointsOnMobDead = active("premium_points_on_mob_dead");
    featureSet.shadowMobAir = active("shadow_mob_air");
    featureSet.shadowMobGround = active("shadow_mob_ground");
    featureSet.tapjoy = active("tapjoy");
    featureSet.towerFireParticlesDirection = active("tower_fire_particles_direction");
}

const tinyxml2::XMLElement* FeatureConfig::findFeature(const std::string& name) const
{
    if (!loaded || !features)
        return nullptr;
    for (const tinyxml2::XMLElement* feature = features->FirstChildElement("feature"); feature;
         feature = feature->NextSiblingElement("feature")) {
        const char* own = feature->Attribute("name");
        if (name == (own ? own : ""))
            return feature;
    }
    return nullptr;
}

bool FeatureConfig::getBool(const std::string& feature, const std::string& attribute) const
{
    const tinyxml2::XMLElement* element = findFeature(feature);
    bool value = false;
    if (element)
        element->QueryBoolAttribute(attribute.c_str(), &value);
    return value;
}

float FeatureConfig::getFloat(const std::string& feature, const std::string& attribute) const
{
    const tinyxml2::XMLElement* element = findFeature(feature);
    const char* text = element ? element->Attribute(attribute.c_str()) : nullptr;
    float value = 0.0f;
    if (!text || std::sscanf(text, "%f", &value) != 1)
        return 0.0f;
    return value;
}

std::string FeatureConfig::getString(const std::string& feature, const std::string& attribute) const
{
    const tinyxml2::XMLElement* element = findFeature(feature);
    const char* text = element ? element->Attribute(attribute.c_str()) : nullptr;
    return text ? text : "";
}

void FeatureConfig::applyFlags()
{
    // Some settings keep their start value unless their feature is present; the
    // others follow getBool, so a missing feature switches them off.
    const auto present = [this](const char* name) { return findFeature(name) != nullptr; };
    if (present("copyrights"))
        gCopyrightsActive = getBool("copyrights", "is_active");
    if (present("difficulty"))
        gDifficulty = getFloat("difficulty", "value");
    if (present("game_name"))
        gGameName = getString("game_name", "value");
    if (present("edition_hd"))
        gEditionHd = getBool("edition_hd", "is_active");
    if (present("effect_immunity")) {
        gEffectImmunityActive = getBool("effect_immunity", "is_active");
        gEffectImmunityDelay = getFloat("effect_immunity", "delay");
    }
    gInAppPurchases = getBool("in_app_purchases", "is_active");
    gPremiumPointsTowerBuy = getBool("premium_points_tower_buy", "is_active");
    gPremiumPointsTowerUpgrade = getBool("premium_points_tower_upgrade", "is_active");
    if (present("publisher_exe_on_close")) {
        gPublisherExeActive = getBool("publisher_exe_on_close", "is_active");
        gPublisherExeCheck = getFloat("publisher_exe_on_close", "check") != 0.0f;
        gPublisherExeFileName = getString("publisher_exe_on_close", "file_name");
    }
    gPublisherUrlActive = getBool("publisher_url", "is_active");
    gPublisherUrlCheck = getBool("publisher_url", "check");
    gPublisherUrlOpenOnStart = getBool("publisher_url", "open_on_start");
    gPublisherUrlOpenOnClose = getBool("publisher_url", "open_on_close");
    gResetUpgradesActive = getBool("reset_upgrades", "is_active");
    gResetUpgradesFree = getBool("reset_upgrades", "is_free");
    gSingleProfile = getBool("single_profile", "is_active");
    gSpellReload = getBool("spell_reload", "is_active");
    gWideScreenMode = getBool("wide_screen_mode", "is_active");
}
