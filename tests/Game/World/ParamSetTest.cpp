#include "Source/TD/World/ParamSet.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

TEST(ParamSet, ReadsNamedChildren)
{
    tinyxml2::XMLDocument doc;
    doc.Parse("<point><param name='spawn' value='1'/><p name='word' value='many'/>"
              "<x name='twice' value='1.5'/><x name='twice' value='2.25'/><x value='3'/><x name='blank'/></point>");
    ParamSet set(doc.FirstChildElement());
    EXPECT_EQ(set.number("spawn"), 1.0f);
    EXPECT_EQ(set.text("spawn"), "1");
    EXPECT_EQ(set.number("word"), 0.0f) << "a word reads as 0";
    EXPECT_EQ(set.text("word"), "0") << "the text is the number's, not the attribute's";
    EXPECT_EQ(set.number("twice"), 2.25f) << "the last child of a name wins";
    EXPECT_EQ(set.text("twice"), "2.25");
    EXPECT_EQ(set.number(""), 3.0f) << "no name reads as the empty name";
    EXPECT_EQ(set.number("blank"), 0.0f);

    const size_t size = set.numbers.size();
    EXPECT_EQ(set.numberOf("goal"), 0.0f);
    EXPECT_EQ(set.numbers.size(), size + 1) << "a lookup inserts the missing name";
    EXPECT_EQ(set.texts.count("goal"), 1u) << "both maps hold the same names";
    set.text("label") = "x";
    EXPECT_EQ(set.numbers.count("label"), 1u);

    ParamSet none(nullptr);
    EXPECT_TRUE(none.numbers.empty());
}
