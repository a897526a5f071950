// Dialog show and hide effects: descriptions read from XML, the effects task that plays
// the show animation and then the hide animation on the dialog's layer, and the ways
// effects fail to be made.
#include "Framework/Widget/DialogEffects.h"
#include "Framework/Animation/AnimData.h"
#include "Framework/Layer/Layer.h"
#include "Framework/Widget/Dialog.h"
#include "Framework/Widget/DialogAnimEffects.h"
#include "Framework/Widget/DialogAnimEffectsData.h"
#include "Framework/Widget/DialogEffectsManager.h"
#include "Framework/Widget/FrameManager.h"
#include "tests/Framework/AnimTestSupport.h"
#include <gtest/gtest.h>
#include <tinyxml2.h>

using animtest::Key;
using widget::DialogAnimEffects;
using widget::DialogEffectsManager;

namespace {

using Log = std::vector<std::string>;

class TestDialog : public widget::Dialog {
public:
    TestDialog(const std::string& dialogName, Log* log, bool* deleted = nullptr) : log(log), deleted(deleted)
    {
        name = dialogName;
    }
    ~TestDialog() override
    {
        if (deleted)
            *deleted = true;
    }
    GEResultEnum OnShown() override
    {
        log->push_back("shown");
        shownOpacity = layer->opacity;
        return GE_OK;
    }
    GEResultEnum Close() override
    {
        log->push_back("closed");
        return Dialog::Close();
    }

    Log* log;
    bool* deleted;
    float shownOpacity = -1.0f;
};

// Effects made directly by a registered creator.
class PlainEffects : public widget::DialogEffects {
public:
    GEResultEnum Show() override { return GE_OK; }
    GEResultEnum Hide() override { return dialog->Close(); }
};

// The show fades the dialog in over one second; the hide fades it out (dissolve 1.5)
// and moves it down over half a second.
animwrite::Animation FadeIn()
{
    animwrite::Animation scene;
    scene.end = 1.0f;
    animwrite::Object screen = animtest::Object("screen", "screen_res", "screen");
    screen.motion[9].keys = {Key(1, 0), Key(0, 1)};
    scene.objects.push_back(screen);
    return scene;
}

animwrite::Animation FadeOut()
{
    animwrite::Animation scene;
    scene.end = 0.5f;
    animwrite::Object screen = animtest::Object("screen", "screen_res", "screen");
    screen.motion[9].keys = {Key(0, 0), Key(1.5f, 0.5f)};
    screen.motion[1].keys = {Key(0, 0), Key(100, 0.5f)};
    scene.objects.push_back(screen);
    return scene;
}

class DialogEffectsTest : public animtest::AnimFolderTest {
protected:
    void SetUp() override
    {
        AnimFolderTest::SetUp();
        ResetEffects();
        DialogEffectsManager::Instance()->renderer = &render;
        Put("fx/in.anim", animtest::Text(animwrite::WriteAnimation(FadeIn())));
        Put("fx/out.anim", animtest::Text(animwrite::WriteAnimation(FadeOut())));
        animwrite::Animation two = FadeIn();
        two.objects.push_back(two.objects[0]);
        Put("fx/two.anim", animtest::Text(animwrite::WriteAnimation(two)));
    }
    void TearDown() override
    {
        manager.DetachAll();
        for (base::Task* child : manager.children)
            child->Stop();
        manager.Update(0.0f);
        ResetEffects();
        DialogEffectsManager::Instance()->renderer = nullptr;
        AnimFolderTest::TearDown();
    }
    static void ResetEffects()
    {
        DialogEffectsManager* effects = DialogEffectsManager::Instance();
        effects->effectsData.clear();
        effects->dialogEffects.clear();
        effects->effectCreators.clear();
    }

    static GEResultEnum Describe(const char* xml)
    {
        tinyxml2::XMLDocument document;
        EXPECT_EQ(document.Parse(xml), tinyxml2::XML_SUCCESS);
        return DialogEffectsManager::Instance()->LoadDescriptions(document.RootElement());
    }

    // Shows the dialog as the game does: a modal add record applied by the next update.
    GEResultEnum Show(TestDialog* dialog)
    {
        manager.QueueAdd(widget::FrameAddRecord{dialog, widget::kFrameModal, true});
        return manager.Update(0.0f);
    }

    // Updates in steps of 0.1 s until `done` holds (at most five seconds).
    template <class Done> void RunUntil(Done done)
    {
        for (int step = 0; step < 50 && !done(); ++step)
            ASSERT_EQ(manager.Update(0.1f), GE_OK);
        ASSERT_TRUE(done());
    }

    bool Shown(const widget::Frame* frame) const
    {
        for (const widget::FrameEntry& entry : manager.stack) {
            if (entry.frame == frame)
                return true;
        }
        return false;
    }

    static constexpr const char* kPop = R"(<effects>
        <effect name="pop" kind="Anim" show_anim_data="fx/in.anim" hide_anim_data="fx/out.anim"/>
        <dialog name="options" effect="pop"/>
    </effects>)";

    Log log;
    widget::FrameManager manager;
};

} // namespace

TEST_F(DialogEffectsTest, ShowThenHidePlayInOrder)
{
    ASSERT_EQ(Describe(kPop), GE_OK);
    auto* dialog = new TestDialog("options", &log);
    ASSERT_EQ(Show(dialog), GE_OK);
    ASSERT_NE(dialog->effects, nullptr);
    auto* effects = static_cast<DialogAnimEffects*>(dialog->effects);
    EXPECT_EQ(effects->state, DialogAnimEffects::kShowing);
    EXPECT_EQ(dialog->layer->opacity, 0.0f); // the show's first frame is applied at once
    EXPECT_TRUE(log.empty());

    // The fade runs through the frames before OnShown comes.
    bool between = false;
    RunUntil([&] {
        between = between || (dialog->layer->opacity > 0.0f && dialog->layer->opacity < 1.0f);
        return !log.empty();
    });
    EXPECT_TRUE(between);
    EXPECT_EQ(log, (Log{"shown"}));
    EXPECT_EQ(dialog->shownOpacity, 1.0f);
    EXPECT_EQ(effects->state, DialogAnimEffects::kShown);

    ASSERT_EQ(dialog->Hide(false), GE_OK);
    EXPECT_EQ(effects->state, DialogAnimEffects::kHiding);
    EXPECT_EQ(log, (Log{"shown"}));
    RunUntil([&] { return log.size() == 2; });
    EXPECT_EQ(log, (Log{"shown", "closed"}));
    // Dissolve 1.5 leaves nothing visible.
    EXPECT_EQ(dialog->layer->opacity, 0.0f);
    EXPECT_EQ(dialog->layer->position.y, 100.0f);

    // The close removed the dialog but kept it; the task is gone.
    RunUntil([&] { return !Shown(dialog) && manager.children.empty(); });
    EXPECT_EQ(dialog->effects, nullptr);
    delete dialog;
}

TEST_F(DialogEffectsTest, HideDuringTheShowWaitsForItsEnd)
{
    ASSERT_EQ(Describe(kPop), GE_OK);
    bool deleted = false;
    auto* dialog = new TestDialog("options", &log, &deleted);
    ASSERT_EQ(Show(dialog), GE_OK);
    ASSERT_EQ(dialog->Hide(true), GE_OK);
    EXPECT_EQ(static_cast<DialogAnimEffects*>(dialog->effects)->state, DialogAnimEffects::kShowing);

    float shownOpacity = -1.0f;
    RunUntil([&] {
        if (!deleted)
            shownOpacity = dialog->shownOpacity;
        return deleted;
    });
    EXPECT_EQ(log, (Log{"shown", "closed"}));
    EXPECT_EQ(shownOpacity, 1.0f); // the whole show played first
    RunUntil([&] { return manager.children.empty(); });
}

TEST_F(DialogEffectsTest, DialogWithoutAnEntryOpensAndClosesAtOnce)
{
    ASSERT_EQ(Describe(kPop), GE_OK);
    auto* dialog = new TestDialog("credits", &log);
    ASSERT_EQ(Show(dialog), GE_OK);
    EXPECT_EQ(dialog->effects, nullptr);
    EXPECT_EQ(log, (Log{"shown"}));
    ASSERT_EQ(dialog->Hide(false), GE_OK);
    EXPECT_EQ(log, (Log{"shown", "closed"}));
    ASSERT_EQ(manager.Update(0.0f), GE_OK);
    EXPECT_FALSE(Shown(dialog));
    delete dialog;
}

TEST_F(DialogEffectsTest, PreloadSharesTheAnimations)
{
    ASSERT_EQ(Describe(R"(<effects>
        <effect name="pop" kind="Anim" show_anim_data="fx/in.anim" hide_anim_data="fx/out.anim" preload="no"/>
        <dialog name="a" effect="pop"/>
        <dialog name="b" effect="pop"/>
    </effects>)"),
              GE_OK);
    auto* data = static_cast<widget::DialogAnimEffectsData*>(
        DialogEffectsManager::Instance()->effectsData.at("pop").get());
    EXPECT_TRUE(data->preload); // present, whatever its value
    ASSERT_TRUE(data->showAnim && data->hideAnim);
    EXPECT_TRUE(data->showAnim->IsLoaded());

    auto* a = new TestDialog("a", &log);
    auto* b = new TestDialog("b", &log);
    ASSERT_EQ(Show(a), GE_OK);
    ASSERT_EQ(Show(b), GE_OK);
    auto* effectsA = static_cast<DialogAnimEffects*>(a->effects);
    auto* effectsB = static_cast<DialogAnimEffects*>(b->effects);
    ASSERT_TRUE(effectsA && effectsB);
    EXPECT_EQ(effectsA->showAnim.Get(), data->showAnim.Get());
    EXPECT_EQ(effectsB->hideAnim.Get(), data->hideAnim.Get());
    EXPECT_EQ(data->showAnim.UseCount(), 3);
}

TEST_F(DialogEffectsTest, BrokenDescriptionsFail)
{
    const struct {
        const char* xml;
        const wchar_t* logged;
    } cases[] = {
        {R"(<e><effect name="x" kind="Anim" show_anim_data="fx/in.anim"/></e>)", L"hide_anim_data"},
        {R"(<e><effect name="x" kind="Anim" hide_anim_data="fx/in.anim"/></e>)", L"show_anim_data"},
        {R"(<e><effect name="x" kind="Slide" show_anim_data="a" hide_anim_data="b"/></e>)", L"Slide"},
        {R"(<e><effect kind="Anim" show_anim_data="a" hide_anim_data="b"/></e>)", L"name or kind"},
        {R"(<e><dialog name="d"/></e>)", L"name or effect"},
        {R"(<e><effect name="x" kind="Anim" show_anim_data="fx/none.anim" hide_anim_data="fx/out.anim" preload=""/></e>)",
         L"fx/none.anim"},
        // Names that are no UTF-8 are still logged, never thrown.
        {"<e><effect name=\"x\" kind=\"Sl\xC3\" show_anim_data=\"a\" hide_anim_data=\"b\"/></e>",
         L"unknown kind"},
        {"<e><effect name=\"\xFFx\" kind=\"Anim\" show_anim_data=\"fx/none.anim\" "
         "hide_anim_data=\"fx/out.anim\" preload=\"\"/></e>",
         L"could not be read"},
    };
    for (const auto& c : cases) {
        LogCapture capture;
        EXPECT_EQ(Describe(c.xml), GE_FAIL) << c.xml;
        EXPECT_GE(capture.Count(c.logged), 1) << c.xml;
    }
    EXPECT_TRUE(DialogEffectsManager::Instance()->effectsData.empty());
}

TEST_F(DialogEffectsTest, EffectsThatCannotBeMadeFailTheAttach)
{
    ASSERT_EQ(Describe(R"(<effects>
        <effect name="double" kind="Anim" show_anim_data="fx/two.anim" hide_anim_data="fx/out.anim"/>
        <effect name="lost" kind="Anim" show_anim_data="fx/in.anim" hide_anim_data="fx/gone.anim"/>
        <dialog name="twice" effect="double"/>
        <dialog name="lost" effect="lost"/>
        <dialog name="nowhere" effect="unknown"/>
        <dialog name="garbled" effect="un)"
                       "\xC3"
                       R"(known"/>
    </effects>)"),
              GE_OK);
    const struct {
        const char* dialog;
        const wchar_t* logged;
    } cases[] = {{"twice", L"exactly one object"},
                 {"lost", L"fx/gone.anim"},
                 {"nowhere", L"'unknown'"},
                 {"garbled", L"is not known"}};
    for (const auto& c : cases) {
        LogCapture capture;
        auto* dialog = new TestDialog(c.dialog, &log);
        EXPECT_EQ(Show(dialog), GE_FAIL) << c.dialog;
        EXPECT_GE(capture.Count(c.logged), 1) << c.dialog;
        EXPECT_EQ(dialog->effects, nullptr) << c.dialog;
    }
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(manager.children.empty());
}

TEST_F(DialogEffectsTest, CreatorsMakeEffectsDirectly)
{
    DialogEffectsManager* effects = DialogEffectsManager::Instance();
    effects->RegisterEffectCreator("plain", std::make_unique<widget::DialogEffectsCreator<PlainEffects>>());
    // Animated effects take their dialog through their description only.
    effects->RegisterEffectCreator("anim",
                                   std::make_unique<widget::DialogEffectsCreator<DialogAnimEffects>>());
    effects->AssignEffect("simple", "plain");
    effects->AssignEffect("fancy", "anim");

    TestDialog simple("simple", &log);
    widget::DialogEffects* made = nullptr;
    ASSERT_EQ(effects->GetEffects(&simple, &made), GE_OK);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->dialog, &simple);
    EXPECT_TRUE(made->autoDelete);
    EXPECT_TRUE(made->keepsParentRunning);
    EXPECT_FALSE(made->stopWhenChildrenDone);
    delete made;

    TestDialog fancy("fancy", &log);
    made = reinterpret_cast<widget::DialogEffects*>(&fancy);
    EXPECT_EQ(effects->GetEffects(&fancy, &made), GE_FAIL);
    EXPECT_EQ(made, nullptr);

    // Shown through the manager, the plain effects hide by closing at once.
    auto* shown = new TestDialog("simple", &log);
    ASSERT_EQ(Show(shown), GE_OK);
    ASSERT_NE(shown->effects, nullptr);
    ASSERT_EQ(shown->Hide(true), GE_OK);
    EXPECT_EQ(log, (Log{"closed"}));
}
