#include "Core/Base/CsvLineTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TokenCase {
    const char* line;
    bool skipEmpty;
    std::vector<std::string> fields;
};

const TokenCase kCases[] = {
    {" a ; b;;c ", false, {"a", "b", "", "c"}},
    {" a ; b;;c ", true, {"a", "b", "c"}},
    {"a;", false, {"a", ""}},
    {"a;", true, {"a"}},
    {"", false, {""}},
    {"", true, {}},
    {" \t ", false, {""}},
    {" \t ", true, {}},
    {";", false, {"", ""}},
    {";;x;", true, {"x"}},
    {"\tone two\t;  3 ", false, {"one two", "3"}},
    {"1,5;2,5", false, {"1,5", "2,5"}},
};

TEST(CsvLineTokenizer, SplitsTrimsAndSkipsAsTheTableSays)
{
    for (const TokenCase& c : kCases) {
        CsvLineTokenizer tokenizer(c.line, ';', c.skipEmpty);
        std::vector<std::string> fields;
        std::string token;
        while (tokenizer.NextToken(&token))
            fields.push_back(token);
        EXPECT_EQ(fields, c.fields) << "line '" << c.line << "' skipEmpty " << c.skipEmpty;
        EXPECT_FALSE(tokenizer.NextToken(&token)) << "stays used up";

        // Stepping over fields without copying counts the same fields.
        CsvLineTokenizer stepper(c.line, ';', c.skipEmpty);
        size_t steps = 0;
        while (stepper.NextToken(nullptr))
            ++steps;
        EXPECT_EQ(steps, c.fields.size()) << "line '" << c.line << "' without tokens";
    }
}

TEST(CsvLineTokenizer, NumbersConvertLikeTheCLibraryAndKeepValuesPastTheEnd)
{
    CsvLineTokenizer tokenizer("12ab; xyz ;1,5; -3.25", ';', false);
    int first = -1;
    int second = -1;
    float third = -1.0f;
    float fourth = 0.0f;
    int beyond = 77;
    float beyondFloat = 7.5f;
    tokenizer.NextInt(&first).NextInt(&second).NextFloat(&third).NextFloat(&fourth);
    tokenizer.NextInt(&beyond).NextFloat(&beyondFloat);
    EXPECT_EQ(first, 12);
    EXPECT_EQ(second, 0);
    EXPECT_FLOAT_EQ(third, 1.0f);
    EXPECT_FLOAT_EQ(fourth, -3.25f);
    EXPECT_EQ(beyond, 77);
    EXPECT_FLOAT_EQ(beyondFloat, 7.5f);
}

TEST(WideTokenizer, SplitsWidgetNamesAtUnderscores)
{
    WideTokenizer tokenizer(L"_btn__play_\u0142_", L'_', true);
    std::vector<std::wstring> fields;
    std::wstring token;
    while (tokenizer.NextToken(&token))
        fields.push_back(token);
    EXPECT_EQ(fields, (std::vector<std::wstring>{L"btn", L"play", L"\u0142"}));
}

TEST(Trim, RemovesOnlySpacesAndTabsAtBothEnds)
{
    std::string narrow = " \t a \n b\t ";
    Trim(narrow);
    EXPECT_EQ(narrow, "a \n b");
    std::wstring wide = L"\t\t";
    Trim(wide);
    EXPECT_EQ(wide, L"");
}

} // namespace
