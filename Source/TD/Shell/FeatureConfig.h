#pragma once
// The feature switches of "td/config.xml", so that one program serves several
// editions. Switches read where they are used are asked by name (getBool with
// "is_active"); applyFlags copies a fixed set of them into the program-wide
// settings below once at start-up.
#include "Core/Base/Types.h"
#include <memory>
#include <set>
#include <string>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

// Program-wide settings filled by FeatureConfig::applyFlags (start values before it runs).
extern bool gCopyrightsActive;          // "copyrights"
extern float gDifficulty;               // "difficulty" / "value"
extern std::string gGameName;           // "game_name" / "value", UTF-8; names the per-user folder
extern bool gEditionHd;                 // "edition_hd"
extern bool gEffectImmunityActive;      // "effect_immunity"
extern float gEffectImmunityDelay;      // "effect_immunity" / "delay"
extern bool gInAppPurchases;            // "in_app_purchases"
extern bool gPremiumPointsTowerBuy;     // "premium_points_tower_buy"
extern bool gPremiumPointsTowerUpgrade; // "premium_points_tower_upgrade"
extern bool gPublisherExeActive;        // "publisher_exe_on_close"
extern bool gPublisherExeCheck;         // "publisher_exe_on_close" / "check"
extern std::string gPublisherExeFileName; // "publisher_exe_on_close" / "file_name", UTF-8
extern bool gPublisherUrlActive;        // "publisher_url"
extern bool gPublisherUrlCheck;         // "publisher_url" / "check"
extern bool gPublisherUrlOpenOnStart;   // "publisher_url" / "open_on_start"
extern bool gPublisherUrlOpenOnClose;   // "publisher_url" / "open_on_close"
extern bool gResetUpgradesActive;       // "reset_upgrades"
extern bool gResetUpgradesFree;         // "reset_upgrades" / "is_free"
extern bool gSingleProfile;             // "single_profile"
extern bool gSpellReload;               // "spell_reload"
extern bool gWideScreenMode;            // "wide_screen_mode"

// Puts every setting above back to its start value (tests, and a second start-up).
void ResetFeatureFlags();

// The attribute scanned with "%d"; 0 when it is missing or not a number (defined
// with the parameter sets, which read their numbers the same way).
int ReadIntAttribute(const tinyxml2::XMLElement* element, const char* name);

// The switches that game code asks during play ("is_active" of each feature), read
// each time the configuration is parsed; false when the feature is absent.
struct FeatureSet {
    bool boostShopPremiumMode = false;         // "boost_shop_premium_mode"
    bool inAppPurchases = false;               // "in_app_purchases"
    bool lowPremiumPointsDialog = false;       // "low_premium_points_dialog"
    bool premiumPointsOnLevelComplete = false; // "premium_points_on_level_complete"
    bool premiumPointsOnMobDead = false;       // "premium_points_on_mob_dead"
    bool shadowMobAir = false;                 // "shadow_mob_air"
    bool shadowMobGround = false;              // "shadow_mob_ground"
    bool tapjoy = false;                       // "tapjoy"
    bool towerFireParticlesDirection = false;  // "tower_fire_particles_direction"
};

class FeatureConfig {
public:
    // Loads "td/config.xml" on first use.
    static FeatureConfig* instance();

    FeatureConfig();
    ~FeatureConfig();
    FeatureConfig(const FeatureConfig&) = delete;
    FeatureConfig& operator=(const FeatureConfig&) = delete;

    // Reads "td/config.xml" through the file layer unless already loaded.
    void load();
    // Replaces what was loaded by `text`: loaded when it parses with a "config" root.
    void parse(const std::string& text);

    bool isLoaded() const { return loaded; }
    // The first "feature" whose "name" is `name` (byte-wise); null when not loaded or absent.
    const tinyxml2::XMLElement* findFeature(const std::string& name) const;
    // Empty values (false, 0.0, "") when not loaded, or the feature or attribute is missing.
    bool getBool(const std::string& feature, const std::string& attribute) const;
    float getFloat(const std::string& feature, const std::string& attribute) const;
    std::string getString(const std::string& feature, const std::string& attribute) const;

    // Copies the start-up switches into the settings above, in a fixed order.
    void applyFlags();

    // The switches of play, as of the last parse.
    const FeatureSet& activeFeatures() const { return featureSet; }

private:
    // One line for an attribute whose text cannot be read as its kind (once each).
    void tellUnreadable(const std::string& feature, const std::string& attribute, const char* text,
                        const wchar_t* reads) const;

    std::wstring why; // what kept the last parse from loading
    mutable std::set<std::string> told;
    bool loaded = false;
    FeatureSet featureSet;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    const tinyxml2::XMLElement* features = nullptr;
};
