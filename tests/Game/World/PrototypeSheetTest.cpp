#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/UnitPrototype.h"
#include "tests/Support/LogCapture.h"
#include "tests/Support/SheetStore.h"

#include <gtest/gtest.h>
#include <memory>
#include <tinyxml2.h>

namespace {

using Sheet = SheetStore;

} // namespace

TEST(PrototypeSheet, LineEndsBlankLinesAndDecimalCommas)
{
    const std::string lf = "id;speed;health;onHit\n1;1.5;10,25;a,b\n\n   \n2;3;4;x\n";
    const std::string crlf = "  id;speed;health;onHit\r\n1;1,5;10.25;a,b\r\n\r\n \t \r\n2;3;4;x\r\n  ";
    for (const std::string& text : {lf, crlf}) {
        Sheet s(text);
        ASSERT_EQ(s.store->mPrototypes.size(), 2u);
        const UnitPrototype* one = s.find(1);
        ASSERT_NE(one, nullptr);
        EXPECT_FLOAT_EQ(one->speed, 1.5f);
        EXPECT_FLOAT_EQ(one->health, 10.25f);
        EXPECT_EQ(one->onHit, "a.b") << "a comma in a text cell becomes a point too";
        EXPECT_NE(s.find(2), nullptr);
    }
}

TEST(PrototypeSheet, FieldRules)
{
    struct Case {
        const char* header;
        const char* row;
        bool (*check)(const UnitPrototype&);
        const char* what;
    };
    const Case cases[] = {
        {"id;air", "1;1", [](const UnitPrototype& p) { return p.air; }, "air 1 flies"},
        {"id;air", "1;true", [](const UnitPrototype& p) { return !p.air; }, "air true does not"},
        {"id;air", "1;2", [](const UnitPrototype& p) { return !p.air; }, "air 2 does not"},
        {"id", "1", [](const UnitPrototype& p) { return p.type1 && p.type4; }, "missing type columns are true"},
        {"id;type1;type2", "1;;1", [](const UnitPrototype& p) { return !p.type1 && p.type2 && p.type3; },
         "an empty type cell is false"},
        {"id;fillColor", "1;", [](const UnitPrototype& p) { return p.fillColor == 0u; }, "empty colour is 0"},
        {"id", "1", [](const UnitPrototype& p) { return p.fillColor == 0xFFFFFFFFu; }, "no colour is white"},
        {"id;fillColor", "1;80FF00aa", [](const UnitPrototype& p) { return p.fillColor == 0x80FF00AAu; },
         "hex colour"},
        {"id;fillColor", "1;1g", [](const UnitPrototype& p) { return p.fillColor == 0x10u; },
         "a non-digit adds 0 but shifts"},
        {"id;debufftower", "1;0.5", [](const UnitPrototype& p) { return p.debufftower; }, "debuff as number"},
        {"id;regen;stun", "1;true;0", [](const UnitPrototype& p) { return p.regen && !p.stun; }, "flags"},
        {"id;strength;cost", "1;abc;", [](const UnitPrototype& p) { return p.strength == 0.0f && p.cost == 0.0f; },
         "unreadable numbers read 0"},
        {"id;addons", "1; a / /b c/ ", [](const UnitPrototype& p) {
             return p.addonList == std::vector<std::string>{"a", "b c"};
         }, "addon list split at '/'"},
        {"id;x;id", "1;2;7", [](const UnitPrototype& p) { return p.id == 7; }, "a repeated column: the later wins"},
        {"id;strength;cooldown", "5;1", [](const UnitPrototype& p) { return p.id == 5 && p.strength == 1.0f; },
         "a short row leaves columns absent"},
    };
    for (const Case& c : cases) {
        Sheet s(std::string(c.header) + "\n" + c.row + "\n");
        ASSERT_EQ(s.store->mPrototypes.size(), 1u) << c.what;
        EXPECT_TRUE(c.check(*s.store->mPrototypes[0])) << c.what;
    }
}

TEST(PrototypeSheet, ShortRowsLeaveAttributesAbsent)
{
    Sheet s("id;strength;cooldown\n5;1\n");
    const tinyxml2::XMLElement* row = s.sheet->FirstChildElement("unit");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Attribute("cooldown"), nullptr);
}

TEST(PrototypeSheet, CellsBeyondTheHeaderAreIgnoredWithOneLogLine)
{
    LogCapture log;
    Sheet s("id;cost\n1;5;extra;more\n2;6;x\n");
    EXPECT_EQ(log.Count(L"extra cells are ignored"), 1) << log.text;
    const tinyxml2::XMLElement* row = FindSheetRowById(1, s.sheet);
    ASSERT_NE(row, nullptr);
    int attributes = 0;
    for (const tinyxml2::XMLAttribute* a = row->FirstAttribute(); a; a = a->Next())
        ++attributes;
    EXPECT_EQ(attributes, 2);
    EXPECT_FLOAT_EQ(s.find(2)->cost, 6.0f);

    log.Clear();
    Sheet fine("id;cost\n1;5\n");
    EXPECT_EQ(log.Count(L"extra cells"), 0);
}

TEST(PrototypeSheet, NestedTiers)
{
    // Rows: a tower base 100 with tiers 101 and 102 (levelid 1, 2), a row whose parent
    // comes later (becomes top-level), a row under a nested row (top-level too), a row
    // with a missing parent, and two top-level rows with the same id.
    Sheet s("id;parent;levelid;cost\n"
            "100;-1;0;10\n"
            "101;100;1;20\n"
            "102;100;2;30\n"
            "200;300;0;1\n"
            "300;;0;2\n"
            "103;101;3;4\n"
            "104;999;0;5\n"
            "7;;0;1\n"
            "7;;0;2\n",
            "towers");
    const UnitPrototype* base = s.find(100);
    ASSERT_NE(base, nullptr);
    ASSERT_EQ(base->children.size(), 2u);
    EXPECT_EQ(base->children[0]->id, 101) << "nested rows keep file order";
    EXPECT_EQ(base->children[1]->id, 102);
    EXPECT_EQ(s.find(101), base->children[0]) << "a tier id is found like a top-level id";
    EXPECT_FLOAT_EQ(s.find(102)->cost, 30.0f);
    EXPECT_TRUE(s.find(101)->children.empty()) << "nested records do not read their own children";

    const UnitPrototype* later = s.find(200);
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->parent, 300) << "its parent comes later, so it stands alone";
    EXPECT_TRUE(s.find(300)->children.empty());
    EXPECT_NE(s.find(103), nullptr) << "a row under a nested row becomes top-level";
    EXPECT_TRUE(base->children[0]->children.empty());
    EXPECT_NE(s.find(104), nullptr) << "a missing parent leaves the row top-level";
    EXPECT_FLOAT_EQ(s.find(7)->cost, 2.0f) << "the later of two equal ids is found first";

    // Tier lookup: 0 is the base; a levelid; the last tier when none matches.
    EXPECT_EQ(base->tier(0), base);
    EXPECT_EQ(base->tier(2)->id, 102);
    EXPECT_EQ(base->tier(9)->id, 102);
    EXPECT_EQ(s.find(104)->tier(1)->id, 104) << "without tiers a record is its own tier";
    EXPECT_EQ(s.find(12345), nullptr);
}

TEST(PrototypeSheet, CopyAndAssign)
{
    Sheet s("id;parent;levelid;cost;particlesDeath;dropChance;addons\n1;;0;5;boom;30;a/b\n2;1;1;6;;;\n");
    const UnitPrototype* base = s.find(1);
    ASSERT_NE(base, nullptr);

    UnitPrototype deep(*base);
    EXPECT_EQ(deep.children.size(), 1u);
    EXPECT_NE(deep.children[0], base->children[0]) << "a copy owns its own tiers";

    UnitPrototype working;
    working.particlesDeath = "keep";
    working.dropChance = 7;
    working = *base;
    EXPECT_FLOAT_EQ(working.cost, 5.0f);
    EXPECT_EQ(working.particlesDeath, "keep");
    EXPECT_EQ(working.dropChance, 7);
    EXPECT_TRUE(working.addons.empty());
    EXPECT_EQ(working.addonList, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(working.children.empty());
}

TEST(PrototypeSheet, UpgradedCopies)
{
    Sheet s("id;parent;levelid;cost;dropChance\n1;;0;5;30\n2;1;1;6;\n");
    std::unique_ptr<UnitPrototype> copy(MakeUpgradedPrototype(*s.store, nullptr, 2));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy.get(), s.find(2)) << "the caller owns a copy";
    EXPECT_FLOAT_EQ(copy->cost, 6.0f);
    std::unique_ptr<UnitPrototype> base(MakeUpgradedPrototype(*s.store, nullptr, 1));
    EXPECT_TRUE(base->children.empty()) << "a working copy has no tiers of its own";
    EXPECT_EQ(base->dropChance, 0) << "nor the drop chance";
    EXPECT_EQ(MakeUpgradedPrototype(*s.store, nullptr, 99), nullptr);
}

TEST(PrototypeSheet, StoreOrderAndReload)
{
    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* data = document.NewElement("data");
    document.InsertFirstChild(data);
    for (const char* kind : {"ammo", "towers", "units"}) {
        tinyxml2::XMLElement* sheet = document.NewElement(kind);
        data->InsertEndChild(sheet);
        const std::string id = kind[0] == 'a' ? "3" : kind[0] == 't' ? "2" : "1";
        SheetTextToXml("id\n" + id + "\n", sheet, &document, L"sheet");
    }
    PrototypeStore store(data);
    ASSERT_EQ(store.mPrototypes.size(), 3u);
    EXPECT_EQ(store.mPrototypes[0]->id, 1) << "units first";
    EXPECT_EQ(store.mPrototypes[1]->id, 2);
    EXPECT_EQ(store.mPrototypes[2]->id, 3);
    store.clear();
    store.load(data);
    EXPECT_EQ(store.mPrototypes.size(), 3u) << "a reload rebuilds every record";
}

TEST(PrototypeSheet, SheetIntReadsLikeAtoi)
{
    EXPECT_EQ(SheetInt("12abc"), 12);
    EXPECT_EQ(SheetInt("  -7"), -7);
    EXPECT_EQ(SheetInt("x1"), 0);
    EXPECT_EQ(SheetInt(""), 0);
    EXPECT_EQ(SheetInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(SheetInt("-99999999999999999999"), -2147483647 - 1);
}
