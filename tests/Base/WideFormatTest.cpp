#include "Core/Base/WideFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace {

using Argument = std::variant<int, unsigned int, float, std::wstring>;

struct FormatCase {
    const wchar_t* pattern;
    std::vector<Argument> arguments;
    const wchar_t* expected;
};

std::wstring Format(const FormatCase& c)
{
    WideFormat f(c.pattern);
    for (const Argument& a : c.arguments) {
        if (auto* i = std::get_if<int>(&a))
            f % *i;
        else if (auto* u = std::get_if<unsigned int>(&a))
            f % *u;
        else if (auto* x = std::get_if<float>(&a))
            f % static_cast<double>(*x);
        else
            f % std::get<std::wstring>(a).c_str();
    }
    f.Finish();
    return f.Output();
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST(WideFormat, FormatsEveryDirectiveAsSpecified)
{
    const std::vector<FormatCase> cases = {
        // Integers: sign, zero padding after the sign or the hex prefix, alignment.
        {L"%05d", {-42}, L"-0042"},
        {L"%#06x", {255}, L"0x00ff"},
        {L"%#06X", {255}, L"0X00FF"},
        {L"% 5d", {42}, L"   42"},
        {L"% 06d", {42}, L"000 42"},
        {L"%-6d|", {42}, L"42    |"},
        {L"%=6d", {42}, L"  42  "},
        {L"%=7d", {42}, L"  42   "},
        {L"%+d %+d", {5, -5}, L"+5 -5"},
        {L"%d", {INT_MIN}, L"-2147483648"},
        {L"%x", {-1}, L"ffffffff"},
        {L"%#x", {0}, L"0x0"},
        {L"%#o %o", {0, 8}, L"00 10"},
        {L"%b", {5}, L"101"},
        {L"%u", {4294967295u}, L"4294967295"},
        {L"%+u", {5u}, L"5"},
        {L"%b", {0x80000001u}, L"10000000000000000000000000000001"},
        {L"%5ld|%hd", {7, 8}, L"    7|8"},
        // Strings are space-padded; zero padding does not apply to them.
        {L"%05s|%-4s|%=5s", {L"ab", L"cd", L"ef"}, L"   ab|cd  | ef  "},
        // Fixed style; precision 0 means six digits and anything above 7 means seven.
        {L"%.2f", {3.14159f}, L"3.14"},
        {L"%.0f", {1.5f}, L"1.500000"},
        {L"%.9f", {1.5f}, L"1.5000000"},
        {L"%f", {-2.5f}, L"-2.500000"},
        {L"%08.3f", {3.14159f}, L"   3.142"},
        {L"%f", {0.0f}, L"0.000000"},
        // Exponent style.
        {L"%e", {1234.5f}, L"1.234500e+003"},
        {L"%E", {0.0f}, L"0.000000E+000"},
        {L"%.3e", {-0.00125f}, L"-1.250e-003"},
        // General style: six significant digits, trailing zeros dropped.
        {L"%+g", {2.0f}, L"+2"},
        {L"%g", {0.0f}, L"0"},
        {L"%g", {0.5f}, L"0.5"},
        {L"%g", {0.001f}, L"0.001"},
        {L"%g", {100000.0f}, L"100000"},
        {L"%g", {1000000.0f}, L"1e+006"},
        {L"%g", {1234567.0f}, L"1.23457e+006"},
        {L"%G", {0.00001234f}, L"1.234E-005"},
        {L"% g", {3.25f}, L" 3.25"},
        // Rounding that carries into a new leading digit keeps the value.
        {L"%g", {9.999999f}, L"10"},
        {L"%g", {999999.5f}, L"1e+006"},
        {L"%g", {0.99999994f}, L"1"},
        {L"%g", {0.00001f}, L"1e-005"},
        {L"%.5e", {9.999999f}, L"1.00000e+001"},
        // NaN and infinities in every style; flags are ignored, padding is not.
        {L"%f|%e|%g", {kNaN, kNaN, kNaN}, L"NaN|NaN|NaN"},
        {L"%f|%e|%g", {-kInf, kInf, kInf}, L"-INF|+INF|+INF"},
        {L"% g|%6g", {kInf, kNaN}, L"+INF|   NaN"},
        // Broken directives: the breaking character is written, the argument waits.
        {L"%%", {}, L"%"},
        {L"100%", {}, L"100%"},
        {L"50%5", {}, L"505"},
        {L"%5-d[%4d]", {42}, L"-d[42  ]"}, // the '-' it read still applies
        {L"%*d %d", {7}, L"*d 7"},
        {L"%l5d|%d", {3}, L"5d|3"},
        {L"%.2.3f %d", {9}, L".3f 9"},
        {L"%\u00e9d %d", {1}, L"\u00e9d 1"},
        // A missing argument leaves its directive empty and the rest of the pattern
        // verbatim, later directives included; surplus arguments are ignored.
        {L"%d and %d!", {1}, L"1 and !"},
        {L"<%s|%d>", {}, L"<|%d>"},
        {L"%d", {1, 2}, L"1"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(Format(c), c.expected) << "pattern " << testing::PrintToString(std::wstring(c.pattern));
}

TEST(WideFormat, WritersWorkAloneWithAHandSetSpec)
{
    WideFormatBase wide;
    wide.width = 5;
    wide.zeroPad = 1;
    wide.WriteInteger(-42);
    wide.width = 0;
    wide.zeroPad = 0;
    wide.AppendPadded(L"|", 1);
    wide.WriteFloat(1234567.0f);
    EXPECT_EQ(wide.Output(), L"-0042|1.23457e+006");

    NumberFormat narrow;
    narrow.width = 5;
    narrow.zeroPad = 1;
    narrow.WriteInteger(-42);
    narrow.width = 0;
    narrow.zeroPad = 0;
    narrow.AppendPadded("|", 1);
    narrow.WriteFloat(1234567.0f);
    EXPECT_EQ(narrow.Output(), "-0042|1.23457e+006");

    // A float style outside the three known ones falls back to the general style.
    NumberFormat odd;
    odd.floatStyle = 9;
    odd.WriteFloat(0.25f);
    EXPECT_EQ(odd.Output(), "0.25");
}

TEST(WideFormat, CopyFormatsOnIndependently)
{
    WideFormat first(L"%d-%d");
    first % 1;
    WideFormat second(first);
    first % 2;
    second % 3;
    first.Finish();
    second.Finish();
    EXPECT_EQ(first.Output(), L"1-2");
    EXPECT_EQ(second.Output(), L"1-3");

    WideFormatBase alone;
    alone.WriteInteger(7);
    WideFormatBase aloneCopy(alone);
    aloneCopy.WriteInteger(8);
    EXPECT_EQ(alone.Output(), L"7");
    EXPECT_EQ(aloneCopy.Output(), L"78");
}

TEST(WideFormat, ArgumentsAfterFinishChangeNothing)
{
    WideFormat f(L"a%db");
    f % 1;
    f.Finish();
    f % 2;
    f % L"x";
    EXPECT_EQ(f.Output(), L"a1b");

    // A huge width is capped rather than allocating gigabytes of padding.
    WideFormat wide(L"%99999999999d");
    wide % 1;
    EXPECT_LE(wide.Output().size(), 0x10000u);
}

} // namespace
