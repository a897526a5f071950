// Feature switches of "td/config.xml": queries by name, the start-up settings with
// their two ways of reading (kept when absent, or off when absent), and the premium
// products.
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/GameConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <tinyxml2.h>

namespace {

std::string Config(const std::string& features)
{
    return "<config><features>" + features + "</features></config>";
}

// The settings after applyFlags, in the table's order.
struct Settings {
    bool copyrights;
    float difficulty;
    std::string gameName;
    bool editionHd;
    bool immunity;
    float immunityDelay;
    bool purchases;
    bool towerBuy;
    bool towerUpgrade;
    bool exeActive;
    bool exeCheck;
    std::string exeName;
    bool urlActive, urlCheck, urlOnStart, urlOnClose;
    bool resetActive, resetFree;
    bool singleProfile, spellReload, wideScreen;
};

Settings Apply(const std::string& text)
{
    ResetFeatureFlags();
    FeatureConfig config;
    config.parse(text);
    config.applyFlags();
    return Settings{gCopyrightsActive,     gDifficulty,         gGameName,           gEditionHd,
                    gEffectImmunityActive, gEffectImmunityDelay, gInAppPurchases,    gPremiumPointsTowerBuy,
                    gPremiumPointsTowerUpgrade, gPublisherExeActive, gPublisherExeCheck, gPublisherExeFileName,
                    gPublisherUrlActive,   gPublisherUrlCheck,  gPublisherUrlOpenOnStart, gPublisherUrlOpenOnClose,
                    gResetUpgradesActive,  gResetUpgradesFree,  gSingleProfile,      gSpellReload,
                    gWideScreenMode};
}

TEST(FeatureConfig, QueriesByNameAndAttribute)
{
    FeatureConfig config;
    config.parse(Config(R"(<feature name="a" is_active="true" value="2.5" text="héllo" n="7"/>
                          <feature name="a" is_active="false"/>
                          <feature is_active="1"/>
                          <feature name="b" is_active="1" value="x"/>
                          <feature name="c" is_active="0" value="3"/>
                          <feature name="d" is_active="maybe"/>)"));
    ASSERT_TRUE(config.isLoaded());
    const struct {
        const char* feature;
        const char* attribute;
        bool b;
        float f;
        const char* s;
    } cases[] = {
        {"a", "is_active", true, 0.0f, "true"}, // the first of two with one name counts
        {"a", "value", true, 2.5f, "2.5"}, // a number reads as a boolean too
        {"a", "text", false, 0.0f, "héllo"},
        {"a", "missing", false, 0.0f, ""},
        {"", "is_active", true, 1.0f, "1"}, // a feature without a name is the empty name
        {"b", "is_active", true, 1.0f, "1"},
        {"b", "value", false, 0.0f, "x"},   // not a number: 0.0
        {"c", "is_active", false, 0.0f, "0"},
        {"c", "value", true, 3.0f, "3"},
        {"d", "is_active", false, 0.0f, "maybe"},
        {"A", "is_active", false, 0.0f, ""}, // names compare exactly
        {"zz", "is_active", false, 0.0f, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.feature) + "/" + c.attribute);
        EXPECT_EQ(config.getBool(c.feature, c.attribute), c.b);
        EXPECT_FLOAT_EQ(config.getFloat(c.feature, c.attribute), c.f);
        EXPECT_EQ(config.getString(c.feature, c.attribute), c.s);
    }
    EXPECT_NE(config.findFeature("a"), nullptr);
    EXPECT_EQ(config.findFeature("zz"), nullptr);
}

TEST(FeatureConfig, FilesThatDoNotLoadAnswerEmptyValues)
{
    const char* texts[] = {"", "<config><features><feature name='a' is_active='1'/>", "<other/>",
                           "not xml at all", "<config/>"};
    for (const char* text : texts) {
        FeatureConfig config;
        config.parse(text);
        EXPECT_EQ(config.isLoaded(), std::string(text) == "<config/>") << text;
        EXPECT_FALSE(config.getBool("a", "is_active")) << text;
        EXPECT_EQ(config.findFeature("a"), nullptr) << text;
    }
}

TEST(FeatureConfig, StartUpSettings)
{
    // No file: the "always" settings go off, the others keep their start values.
    const Settings none = Apply("");
    EXPECT_FALSE(none.purchases);
    EXPECT_FALSE(none.wideScreen);
    EXPECT_FALSE(none.spellReload);
    EXPECT_FALSE(none.towerBuy);
    EXPECT_FALSE(none.towerUpgrade);
    EXPECT_FALSE(none.resetActive);
    EXPECT_FALSE(none.resetFree);
    EXPECT_FLOAT_EQ(none.difficulty, 1.0f);
    EXPECT_EQ(none.gameName, "ZavavEdovari");
    EXPECT_TRUE(none.immunity);
    EXPECT_FLOAT_EQ(none.immunityDelay, 2.0f);
    EXPECT_FALSE(none.copyrights);
    EXPECT_FALSE(none.editionHd);

    // A present feature without attributes: off, 0.0 and empty.
    const Settings bare = Apply(Config(R"(<feature name="effect_immunity"/><feature name="difficulty"/>
                                          <feature name="game_name"/><feature name="publisher_exe_on_close"/>)"));
    EXPECT_FALSE(bare.immunity);
    EXPECT_FLOAT_EQ(bare.immunityDelay, 0.0f);
    EXPECT_FLOAT_EQ(bare.difficulty, 0.0f);
    EXPECT_EQ(bare.gameName, "");
    EXPECT_FALSE(bare.exeActive);
    EXPECT_FALSE(bare.exeCheck);

    // The publisher program's check is a float: any value but 0 is on.
    const struct {
        const char* check;
        bool on;
    } checks[] = {{"0.5", true}, {"0", false}, {"0.0", false}, {"1", true}, {"-2", true}, {"x", false}};
    for (const auto& c : checks) {
        const Settings s = Apply(Config(std::string(R"(<feature name="publisher_exe_on_close" is_active="true" check=")") +
                                        c.check + R"(" file_name="pub.exe"/>)"));
        EXPECT_EQ(s.exeCheck, c.on) << c.check;
        EXPECT_TRUE(s.exeActive);
        EXPECT_EQ(s.exeName, "pub.exe");
    }

    const Settings all = Apply(Config(R"(
        <feature name="copyrights" is_active="true"/>
        <feature name="difficulty" value="1.5"/>
        <feature name="game_name" value="Other"/>
        <feature name="edition_hd" is_active="1"/>
        <feature name="effect_immunity" is_active="true" delay="3.25"/>
        <feature name="in_app_purchases" is_active="true"/>
        <feature name="premium_points_tower_buy" is_active="true"/>
        <feature name="premium_points_tower_upgrade" is_active="false"/>
        <feature name="publisher_url" is_active="true" check="true" open_on_start="1" open_on_close="0"/>
        <feature name="reset_upgrades" is_active="true" is_free="false"/>
        <feature name="single_profile" is_active="true"/>
        <feature name="spell_reload" is_active="true"/>
        <feature name="wide_screen_mode" is_active="true"/>)"));
    EXPECT_TRUE(all.copyrights);
    EXPECT_FLOAT_EQ(all.difficulty, 1.5f);
    EXPECT_EQ(all.gameName, "Other");
    EXPECT_TRUE(all.editionHd);
    EXPECT_FLOAT_EQ(all.immunityDelay, 3.25f);
    EXPECT_TRUE(all.purchases);
    EXPECT_TRUE(all.towerBuy);
    EXPECT_FALSE(all.towerUpgrade);
    EXPECT_TRUE(all.urlActive);
    EXPECT_TRUE(all.urlCheck);
    EXPECT_TRUE(all.urlOnStart);
    EXPECT_FALSE(all.urlOnClose);
    EXPECT_TRUE(all.resetActive);
    EXPECT_FALSE(all.resetFree);
    EXPECT_TRUE(all.singleProfile);
    EXPECT_TRUE(all.spellReload);
    EXPECT_TRUE(all.wideScreen);
    ResetFeatureFlags();
}

TEST(FeatureConfig, ReadIntAttribute)
{
    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse(R"(<e a="12" b="-3" c="7x" d="x7" e=""/>)"), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* e = document.RootElement();
    EXPECT_EQ(ReadIntAttribute(e, "a"), 12);
    EXPECT_EQ(ReadIntAttribute(e, "b"), -3);
    EXPECT_EQ(ReadIntAttribute(e, "c"), 7);
    EXPECT_EQ(ReadIntAttribute(e, "d"), 0);
    EXPECT_EQ(ReadIntAttribute(e, "e"), 0);
    EXPECT_EQ(ReadIntAttribute(e, "missing"), 0);
    EXPECT_EQ(ReadIntAttribute(nullptr, "a"), 0);
}

TEST(GameConfig, PremiumProducts)
{
    GameConfig config;
    config.parse(R"(<config><premium_products>
        <premium_product name="+5Lives" cost="10"/>
        <premium_product name="хRefill" cost="15"/>
        <premium_product name="Refill" cost="25"/>
        <premium_product name="Refill" cost="30"/>
        <premium_product name="" cost="4"/>
        <premium_product name="free"/>
        <premium_product cost="99"/>
    </premium_products></config>)");
    const struct {
        const char* name;
        bool has;
        int cost;
    } cases[] = {{"+5Lives", true, 10}, {"хRefill", true, 15}, {"Refill", true, 30}, // a later one replaces
                 {"", true, 4},         {"free", true, 0},     {"xRefill", false, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(config.hasProduct(c.name), c.has) << c.name;
        if (c.has) {
            EXPECT_EQ(config.cost(c.name), c.cost) << c.name;
        }
    }
    EXPECT_EQ(config.costs.size(), 5u);
    // The cost lookup adds a missing name with 0.
    EXPECT_EQ(config.cost("new"), 0);
    EXPECT_TRUE(config.hasProduct("new"));

    for (const char* text : {"", "<config/>", "<other><premium_products><premium_product name='a'/>"
                                              "</premium_products></other>", "<config><premium_products>"}) {
        config.parse(text);
        EXPECT_TRUE(config.costs.empty()) << text;
    }
}

} // namespace
