#include "Source/TD/Shell/FeatureConfig.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileManager.h"
#include "Core/File/FileUtils.h"
#include "Source/TD/World/ParamSet.h"

#include <cmath>
#include <cstdio>
#include <tinyxml2.h>

namespace {

constexpr const wchar_t* kConfigPath = L"td/config.xml";

std::wstring Wide(const std::string& text)
{
    return ConvertToWide(text, StringEncoding::Ansi);
}

} // namespace

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
    if (!file::FileManager::Instance()->Exists(kConfigPath)) {
        GE_LOG(L"%s is missing: every feature keeps its default, and a missing one is off\n") << kConfigPath;
        parse(std::string());
        return;
    }
    parse(file::ReadUtf8TextFile(kConfigPath));
    if (!loaded)
        GE_LOG(L"%s could not be read (%s): every feature keeps its default, and a missing one is off\n")
            << kConfigPath << why;
    else if (!features)
        GE_LOG(L"%s has no features element: every feature keeps its default, and a missing one is off\n")
            << kConfigPath;
}

void FeatureConfig::parse(const std::string& text)
{
    loaded = false;
    features = nullptr;
    why.clear();
    told.clear();
    featureSet = FeatureSet();
    document = std::make_unique<tinyxml2::XMLDocument>();
    if (text.empty()) {
        why = L"it is empty";
        return;
    }
    if (document->Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
        why = XmlErrorText(*document);
        return;
    }
    const tinyxml2::XMLElement* root = document->RootElement();
    if (!root || std::string(root->Name()) != "config") {
        why = L"its root element is not config";
        return;
    }
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

void FeatureConfig::tellUnreadable(const std::string& feature, const std::string& attribute, const char* text,
                                   const wchar_t* reads) const
{
    if (!told.insert(feature + "/" + attribute).second)
        return;
    GE_LOG(L"%s: the %s of feature '%s' is '%s', which is no %s; %s\n")
        << kConfigPath << Wide(attribute) << Wide(feature) << Wide(text) << reads;
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
    if (element && element->Attribute(attribute.c_str()) &&
        element->QueryBoolAttribute(attribute.c_str(), &value) != tinyxml2::XML_SUCCESS)
        tellUnreadable(feature, attribute, element->Attribute(attribute.c_str()), L"yes or no: it reads as no");
    return value;
}

float FeatureConfig::getFloat(const std::string& feature, const std::string& attribute) const
{
    const tinyxml2::XMLElement* element = findFeature(feature);
    const char* text = element ? element->Attribute(attribute.c_str()) : nullptr;
    float value = 0.0f;
    if (!text)
        return 0.0f;
    if (std::sscanf(text, "%f", &value) != 1 || !std::isfinite(value)) {
        tellUnreadable(feature, attribute, text, L"number: it reads as 0");
        return 0.0f;
    }
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
    if (present("difficulty")) {
        gDifficulty = getFloat("difficulty", "value");
        // Unit strength is scaled by it: none, or thousands of times, is no game. A feature
        // that names no value reads 0 as every feature does.
        const tinyxml2::XMLElement* difficulty = findFeature("difficulty");
        if (difficulty->Attribute("value") && !(gDifficulty >= 0.1f && gDifficulty <= 10.0f)) {
            GE_LOG(L"%s: the difficulty %f lies outside 0.1 to 10; it is 1\n") << kConfigPath
                                                                               << static_cast<double>(gDifficulty);
            gDifficulty = 1.0f;
        }
    }
    if (present("game_name"))
        gGameName = getString("game_name", "value");
    if (present("edition_hd"))
        gEditionHd = getBool("edition_hd", "is_active");
    if (present("effect_immunity")) {
        gEffectImmunityActive = getBool("effect_immunity", "is_active");
        gEffectImmunityDelay = getFloat("effect_immunity", "delay");
        if (!(gEffectImmunityDelay >= 0.0f && gEffectImmunityDelay <= 3600.0f)) {
            GE_LOG(L"%s: the effect immunity delay %f lies outside 0 to 3600 seconds; it is 2\n")
                << kConfigPath << static_cast<double>(gEffectImmunityDelay);
            gEffectImmunityDelay = 2.0f;
        }
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
