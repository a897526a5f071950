// The tutorial script read outside a game: steps kept in file order, steps that miss
// a required child or a damaged file refused with one log line each.
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Tutorial/TDTutorialStep.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

const char* const kScript = R"(<?xml version="1.0"?>
<tutorial>
  <step id="3" activate="go" complete="done">
    <condition shop="-1" episode="1" level="2"/>
    <show folder="build"><text place="build/text" string="k1"/><text place="build/other"/></show>
    <cmds><cmd param="pause" value="1"/><cmd param="spot"/></cmds>
  </step>
  <step id="4" activate="a"><show folder="x"/></step>
  <step id="5" activate="b"><condition/></step>
  <step id="6" activate="c" complete="d"><condition/><show folder="y"/><onComplete><cmd param="addGems" value="5"/></onComplete></step>
</tutorial>)";

} // namespace

TEST(TutorialScript, StepsAndTheirRequiredChildren)
{
    TDTutorial* tutorial = TDTutorial::Instance();
    LocalStrings::Instance()->parse("k1;The first text\n"); // its text stands in the table
    LogCapture log;
    ASSERT_TRUE(tutorial->readScript(kScript));
    // Steps without a condition or a show element cannot run: skipped, one line each.
    ASSERT_EQ(tutorial->steps.size(), 2u);
    EXPECT_EQ(log.Count(L"Tutorial step 4 has no 'condition' element: the step is skipped."), 1);
    EXPECT_EQ(log.Count(L"Tutorial step 5 has no 'show' element: the step is skipped."), 1);
    EXPECT_EQ(log.Lines(), 2);

    const TDTutorialStep& first = *tutorial->steps[0];
    EXPECT_EQ(first.id, 3);
    EXPECT_EQ(first.activate, L"go");
    EXPECT_EQ(first.complete, L"done");
    EXPECT_EQ(first.shop, -1);
    EXPECT_EQ(first.episode, 1);
    EXPECT_EQ(first.level, 2);
    EXPECT_EQ(first.folder, L"build");
    ASSERT_EQ(first.commands.size(), 2u);
    EXPECT_EQ(first.commands[0].name, L"pause");
    EXPECT_EQ(first.commands[0].value, 1);
    EXPECT_EQ(first.commands[1].value, 0) << "a missing value reads 0";
    EXPECT_TRUE(first.completion.empty());
    ASSERT_EQ(first.texts.count(L"build/text"), 1u);
    EXPECT_EQ(first.texts.at(L"build/other"), L"") << "a text without a key is empty";

    const TDTutorialStep& second = *tutorial->steps[1];
    EXPECT_EQ(second.id, 6);
    EXPECT_EQ(second.shop, 0) << "shop absent: the step runs anywhere";
    ASSERT_EQ(second.completion.size(), 1u);
    EXPECT_EQ(second.completion[0].name, L"addGems");
}

TEST(TutorialScript, ConditionTiesAStepToItsLevelOnlyWithShopMinusOne)
{
    TDTutorialStep step;
    step.episode = 1;
    step.level = 2;
    struct Case {
        int shop, episode, level;
        bool holds;
    } cases[] = {
        {-1, 1, 2, true}, {-1, 1, 3, false}, {-1, 0, 2, false}, {0, 0, 0, true}, {5, 3, 3, true},
    };
    for (const Case& c : cases) {
        step.shop = c.shop;
        EXPECT_EQ(step.conditionHolds(c.episode, c.level), c.holds)
            << "shop " << c.shop << " at " << c.episode << "/" << c.level;
    }
}

TEST(TutorialScript, DamagedOrMissingScriptGivesNoSteps)
{
    TDTutorial* tutorial = TDTutorial::Instance();
    struct Case {
        const char* text;
        const wchar_t* line;
    } cases[] = {
        {"", L"is missing or empty"},
        {"<tutorial><step id='1'>", L"is damaged"},
        {"<?xml version='1.0'?><steps/>", L"has no 'tutorial' element"},
        // The parser's message quotes bytes that are not UTF-8: still one line, no crash.
        {"<tutorial><step id='1' activate='\xff\xfe\xc3'><condition/", L"is damaged"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(tutorial->readScript(kScript));
        LogCapture log;
        EXPECT_FALSE(tutorial->readScript(c.text)) << c.text;
        EXPECT_TRUE(tutorial->steps.empty()) << c.text;
        EXPECT_EQ(log.Count(c.line), 1) << c.text;
        // Events on no steps do nothing.
        tutorial->fireEvent(L"go");
    }
}
