// The spell sheet: which rows become spells and what each cell gives.
#include "Source/TD/Towers/SpellTable.h"

#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    int prototypeId, spellId, gemPrice;
    const char* image;
    const char* image2;
};

std::vector<Row> Rows(const SpellTable& table)
{
    std::vector<Row> rows;
    for (const SpellDefinition* d : table.definitions)
        rows.push_back({d->prototypeId, d->spellId, d->gemPrice, d->image.c_str(), d->image2.c_str()});
    return rows;
}

} // namespace

TEST(SpellTable, RowsAndCells)
{
    const struct {
        const char* what;
        const char* text;
        std::vector<Row> rows;
        int warnings;
    } cases[] = {
        {"a '#' row is skipped, any other marker is data",
         "#;proto;image;image2;spell;gems\n;3001;a.png;b.png;1;5\nid;3002;c.png;d.png;2;4\n",
         {{3001, 1, 5, "a.png", "b.png"}, {3002, 2, 4, "c.png", "d.png"}}, 0},
        {"a row starting with id is read as data", "id;proto;image;image2;spell;gems\n",
         {{0, 0, 0, "image", "image2"}}, 0},
        {"CRLF, blank lines and spaces around cells", "\r\n x ; 3001 ;a.png; b.png ; 7 ; 3 \r\n   \n\n;3002;;;8\r\n",
         {{3001, 7, 3, "a.png", "b.png"}, {3002, 8, 0, "", ""}}, 0},
        {"a missing gem price reads 0", ";3001;a.png;b.png;1\n", {{3001, 1, 0, "a.png", "b.png"}}, 0},
        {"missing ids read 0, not the previous row's",
         ";3001;a.png;b.png;1;5\n;3002;c.png\n;;e.png;f.png;;\n",
         {{3001, 1, 5, "a.png", "b.png"}, {3002, 0, 0, "c.png", ""}, {0, 0, 0, "e.png", "f.png"}}, 1},
        {"the first row lacking its ids reads 0 too", ";\n", {{0, 0, 0, "", ""}}, 1},
        {"not numbers read 0", ";x;a;b;y;z\n", {{0, 0, 0, "a", "b"}}, 0},
        {"only the marker row", "#\n", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture log;
        SpellTable table;
        table.parse(c.text, L"spells.csv");
        const std::vector<Row> rows = Rows(table);
        ASSERT_EQ(rows.size(), c.rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].prototypeId, c.rows[i].prototypeId) << i;
            EXPECT_EQ(rows[i].spellId, c.rows[i].spellId) << i;
            EXPECT_EQ(rows[i].gemPrice, c.rows[i].gemPrice) << i;
            EXPECT_STREQ(rows[i].image, c.rows[i].image) << i;
            EXPECT_STREQ(rows[i].image2, c.rows[i].image2) << i;
            EXPECT_EQ(table.definitions[i]->texture, nullptr) << "no renderer: no picture";
        }
        EXPECT_EQ(log.Count(L"spells.csv"), c.warnings) << log.text;
    }
}

TEST(SpellTable, FindTakesTheFirstOfAnIdAndAMissingSheetGivesNone)
{
    SpellTable table(L"no/such/spells.csv");
    EXPECT_TRUE(table.definitions.empty());
    table.parse(";3001;a;b;2;1\n;3009;c;d;2;1\n;3003;e;f;3;1\n", L"spells.csv");
    ASSERT_NE(table.find(2), nullptr);
    EXPECT_EQ(table.find(2)->prototypeId, 3001);
    EXPECT_EQ(table.find(3)->prototypeId, 3003);
    EXPECT_EQ(table.find(4), nullptr);
    table.clear();
    EXPECT_EQ(table.find(2), nullptr);
}
