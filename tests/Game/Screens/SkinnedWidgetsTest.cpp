// The skinned buttons, switches, slider and message box, driven through a frame
// manager the way the game drives them: built from a layered-image folder, pressed,
// dragged and released at screen points.
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Widget/FrameManager.h"
#include "Source/TD/Screens/SliderLayer.h"
#include "Source/TD/Screens/SorvanButton.h"
#include "Source/TD/Screens/SorvanSlider.h"
#include "Source/TD/Screens/SorvanSwitchButton.h"
#include "Source/TD/Screens/TMessageBox.h"
#include "tests/Game/Screens/SkinFixture.h"
#include "tests/Render/MemoryTexture.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>

namespace {

using skintest::Entry;

// A dialog that shows whatever controls a test adds, and counts the presses that
// reach it (those that no control took).
class TestDialog : public SorvanDialog {
public:
    GEResultEnum Init() override { return OpenSkin(L"skin"); }
    GEResultEnum OnWidgetMouseDown(const math::Point3&, const layer::OnMouseDown&) override
    {
        ++presses;
        return GE_OK;
    }
    int presses = 0;
};

struct Clicks : widget::ButtonListener {
    GEResultEnum OnButtonClick(widget::Button* button) override
    {
        clicked.push_back(button);
        return GE_OK;
    }
    std::vector<widget::Button*> clicked;
};

struct SliderEvents : widget::SliderListener {
    GEResultEnum OnSliderMoved(widget::Slider*, float v) override
    {
        moved.push_back(v);
        return GE_OK;
    }
    GEResultEnum OnSliderReleased(widget::Slider*, float v) override
    {
        released.push_back(v);
        return refuse;
    }
    std::vector<float> moved, released;
    GEResultEnum refuse = GE_OK;
};

class SkinnedWidgetsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        temp = std::make_unique<skintest::TempFolder>("skinned-widgets");
        skintest::WriteSkin("skin", {{"n", 100, 50, 40, 20},
                                     {"h", 100, 50, 40, 20},
                                     {"u", 100, 50, 40, 20},
                                     {"s_sel", 400, 50, 40, 20},
                                     {"s_un", 400, 50, 40, 20},
                                     {"s_hi", 400, 50, 40, 20},
                                     {"s_u", 400, 50, 40, 20},
                                     {"bar", 100, 100, 200, 20},
                                     {"knob", 100, 95, 30, 30},
                                     {"knob31", 100, 95, 31, 30},
                                     {"short_bar", 100, 100, 31, 20},
                                     {"track_back", 90, 90, 220, 40}});
        skintest::WriteSkin("td/data/mm", {{"back", 200, 200, 624, 368},
                                           {"text/message", 300, 300, 424, 80},
                                           {"button/b1_normal", 0, 0, 100, 50},
                                           {"button/b1_over", 0, 0, 100, 50},
                                           {"button/b1_ok/label", 0, 0, 100, 50},
                                           {"button/b1_cancel/label", 0, 0, 100, 50}});
    }
    static void TearDownTestSuite() { temp.reset(); }

    void SetUp() override
    {
        dialog = new TestDialog;
        dialog->renderer = &renderer;
        ASSERT_EQ(SorvanDialog::ShowModal(dialog, &manager), GE_OK);
        ASSERT_EQ(manager.Update(0.0f), GE_OK);
    }
    void TearDown() override { manager.DetachAll(); }

    template <class Control> Control* Add(Control* control)
    {
        control->renderer = &renderer;
        return control;
    }
    void Attach(widget::Widget* control) { ASSERT_EQ(dialog->widget::Dialog::AddChild(control), GE_OK); }

    void Move(float x, float y) { ASSERT_EQ(manager.OnMouseMove({x, y}), GE_OK); }
    void Press(float x, float y) { ASSERT_EQ(manager.OnMouseDown({x, y}, 1), GE_OK); }
    void Drag(float x, float y) { ASSERT_EQ(manager.OnMouseDrag({x, y}), GE_OK); }
    void Release(float x, float y) { ASSERT_EQ(manager.OnMouseUp({x, y}, 1), GE_OK); }

    SorvanSlider* MakeSlider(SliderEvents* events, const wchar_t* knob = L"knob")
    {
        auto* slider = Add(new SorvanSlider);
        EXPECT_EQ(slider->Init(dialog->GetContainer(), L"bar", knob, L""), GE_OK);
        EXPECT_EQ(slider->InsertNamedLayer(L"track_back", gui::kInsertTrapHits), GE_OK);
        if (events)
            slider->sliderListener = events;
        Attach(slider);
        return slider;
    }

    static inline std::unique_ptr<skintest::TempFolder> temp;
    test::TextureRender renderer;
    widget::FrameManager manager;
    TestDialog* dialog = nullptr;
};

TEST_F(SkinnedWidgetsTest, ControlsWithoutTheirImagesAreRefusedWithOneLogLine)
{
    struct Case {
        const char* what;
        std::function<GEResultEnum(file::ImageContainer*)> build;
    };
    const std::vector<Case> cases = {
        {"button, empty normal", [this](auto* c) { auto made = std::make_unique<SorvanButton>(); made->renderer = &renderer; return made->Init(c, L"", L"h", L"u"); }},
        {"button, empty highlight", [this](auto* c) { auto made = std::make_unique<SorvanButton>(); made->renderer = &renderer; return made->Init(c, L"n", L"", L"u"); }},
        {"switch, empty selected", [this](auto* c) { auto made = std::make_unique<SorvanSwitchButton>(); made->renderer = &renderer; return made->Init(c, L"s_un", L"s_hi", L"", L"s_u"); }},
        {"slider, empty knob", [this](auto* c) { auto made = std::make_unique<SorvanSlider>(); made->renderer = &renderer; return made->Init(c, L"bar", L"", L""); }},
        {"slider, no track", [this](auto* c) { auto made = std::make_unique<SorvanSlider>(); made->renderer = &renderer; return made->Init(c, L"short_bar", L"knob", L""); }},
    };
    for (const Case& c : cases) {
        LogCapture log;
        EXPECT_EQ(c.build(dialog->GetContainer()), GE_FAIL) << c.what;
        EXPECT_EQ(log.Lines(), 1) << c.what << ": " << std::string(log.text.begin(), log.text.end());
    }
}

TEST_F(SkinnedWidgetsTest, ButtonClicksOnlyWhenReleasedOverIt)
{
    Clicks clicks;
    auto* button = Add(new SorvanButton);
    ASSERT_EQ(button->Init(dialog->GetContainer(), L"n", L"h", L"u"), GE_OK);
    button->buttonListener = &clicks;
    Attach(button);
    EXPECT_FLOAT_EQ(button->gui::GameControl::position.x, 120.0f);
    EXPECT_FLOAT_EQ(button->gui::GameControl::position.y, 60.0f);

    Move(120, 60);
    Press(120, 60);
    EXPECT_EQ(button->visualState, widget::kButtonPressed);
    Drag(600, 400);
    Release(600, 400);
    EXPECT_TRUE(clicks.clicked.empty());
    EXPECT_EQ(button->visualState, widget::kButtonNormal);

    Move(120, 60);
    Press(120, 60);
    Release(120, 60);
    ASSERT_EQ(clicks.clicked.size(), 1u);
    EXPECT_EQ(clicks.clicked[0], static_cast<widget::Button*>(button));
    EXPECT_EQ(button->visualState, widget::kButtonOver);
    EXPECT_EQ(dialog->presses, 0);
}

TEST_F(SkinnedWidgetsTest, ButtonHoverAndPressAnimation)
{
    auto* button = Add(new SorvanButton);
    ASSERT_EQ(button->Init(dialog->GetContainer(), L"n", L"h", L"u"), GE_OK);
    Attach(button);
    layer::Layer* normal = button->GetState(0);
    layer::Layer* highlight = button->GetState(1);

    struct Row {
        int state;
        float dt;
        float hover, normalOpacity, highlightOpacity, scale;
    };
    // Hover rises at 3/s, press at 5/s; the normal image fades only in the last tenth.
    const Row rows[] = {
        {widget::kButtonOver, 0.3f, 0.9f, 1.0f, 0.9f, 1.0f},
        {widget::kButtonOver, 1.0f / 60.0f, 0.95f, 0.5f, 0.95f, 1.0f},
        {widget::kButtonPressed, 0.2f, 1.0f, 0.0f, 1.0f, 0.95f},
        {widget::kButtonNormal, 0.4f, 0.0f, 1.0f, 0.0f, 1.0f}, // a step beyond 1/3 s snaps
    };
    for (const Row& row : rows) {
        button->visualState = row.state;
        button->OnUpdate(row.dt);
        EXPECT_NEAR(button->hover, row.hover, 1e-4f) << row.state;
        EXPECT_NEAR(normal->opacity, row.normalOpacity, 1e-3f) << row.state;
        EXPECT_NEAR(highlight->opacity, row.highlightOpacity, 1e-4f) << row.state;
        EXPECT_NEAR(button->gui::GameControl::scale.x, row.scale, 1e-4f) << row.state;
    }
    // A resting button does not touch its transform.
    button->gui::GameControl::transformChanged = false;
    button->OnUpdate(0.1f);
    EXPECT_FALSE(button->gui::GameControl::transformChanged);
}

TEST_F(SkinnedWidgetsTest, SelectedSwitchShowsOnlyItsImageAndSwallowsPresses)
{
    Clicks clicks;
    auto* toggle = Add(new SorvanSwitchButton);
    ASSERT_EQ(toggle->Init(dialog->GetContainer(), L"s_un", L"s_hi", L"s_sel", L"s_u"), GE_OK);
    toggle->buttonListener = &clicks;
    Attach(toggle);

    toggle->SetSelected(true);
    for (int i = 0; i < 12; ++i)
        toggle->OnUpdate(1.0f / 60.0f);
    EXPECT_FLOAT_EQ(toggle->GetState(SorvanSwitchButton::kSelected)->opacity, 1.0f);
    EXPECT_NEAR(toggle->GetState(SorvanSwitchButton::kUnselected)->opacity, 0.0f, 1e-5f);
    EXPECT_NEAR(toggle->GetState(SorvanSwitchButton::kHighlight)->opacity, 0.0f, 1e-5f);

    Move(420, 60);
    Press(420, 60);
    Release(420, 60);
    EXPECT_TRUE(clicks.clicked.empty());
    EXPECT_EQ(dialog->presses, 0);

    toggle->SetSelected(false);
    Move(420, 60);
    Press(420, 60);
    Release(420, 60);
    EXPECT_EQ(clicks.clicked.size(), 1u);
}

TEST_F(SkinnedWidgetsTest, SliderMapsValuesToTheTrack)
{
    auto* slider = MakeSlider(nullptr);
    // Bar (100, 100, 200 wide), knob 30 wide: the control's origin is (200, 110), the
    // track runs from -85 to 83 in its space.
    EXPECT_FLOAT_EQ(slider->trackStart, -85.0f);
    EXPECT_FLOAT_EQ(slider->trackEnd, 83.0f);
    EXPECT_FLOAT_EQ(slider->value, 1.0f) << "a fresh slider shows the maximum";
    EXPECT_FLOAT_EQ(slider->knobHolder->position.x, 83.0f);

    const std::pair<float, float> rows[] = {{0.0f, -85.0f}, {0.25f, -43.0f}, {0.5f, -1.0f}, {1.0f, 83.0f}};
    for (const auto& [v, x] : rows) {
        ASSERT_EQ(slider->OfferValue(v), GE_OK);
        EXPECT_FLOAT_EQ(slider->knobHolder->position.x, x) << v;
        EXPECT_FLOAT_EQ(slider->bar->source[2], x + 100.0f) << "the bar fills up to the knob";
    }
    slider->maximum = slider->minimum = 0.5f;
    slider->OnValueChanged();
    EXPECT_FLOAT_EQ(slider->knobHolder->position.x, -85.0f);

    auto* odd = MakeSlider(nullptr, L"knob31");
    EXPECT_FLOAT_EQ(odd->halfKnobWidth, 15.0f);
}

TEST_F(SkinnedWidgetsTest, DraggingTheKnobPinsAtTheEndsAndReportsOnRelease)
{
    SliderEvents events;
    auto* slider = MakeSlider(&events);
    Move(285, 110);
    Press(285, 110); // on the knob, 2 right of its holder
    Drag(600, 110);
    Drag(0, 110);
    ASSERT_EQ(events.moved.size(), 2u);
    EXPECT_FLOAT_EQ(events.moved[0], 1.0f);
    EXPECT_FLOAT_EQ(events.moved[1], 0.0f);
    EXPECT_TRUE(events.released.empty()) << "dragging reports no release";
    Release(0, 110);
    ASSERT_EQ(events.released.size(), 1u);
    EXPECT_FLOAT_EQ(events.released[0], 0.0f);
    EXPECT_FLOAT_EQ(slider->value, 0.0f);

    // A listener that refuses leaves the value where it was; the knob has moved.
    events.refuse = GE_FAIL;
    Move(115, 110);
    Press(117, 110);
    Drag(200, 110); // the knob's holder at -2: value 83/168
    EXPECT_EQ(manager.OnMouseUp({250, 110}, 1), GE_FAIL) << "the listener's answer comes back";
    EXPECT_NEAR(slider->value, 83.0f / 168.0f, 1e-5f) << "the move was taken, the release was not";
    EXPECT_FLOAT_EQ(slider->knobHolder->position.x, 48.0f) << "the knob has moved all the same";
    EXPECT_FALSE(slider->dragging);
}

TEST_F(SkinnedWidgetsTest, ClickOnTheBarGlidesWithAnEase)
{
    SliderEvents events;
    auto* slider = MakeSlider(&events);
    // The knob rests at 83; a press 100 to its left glides for 0.5 s.
    Move(183, 110);
    Press(183, 110);
    Release(183, 110);
    EXPECT_FLOAT_EQ(slider->glideDuration, 0.5f);
    const std::pair<float, float> path[] = {
        {0.125f, 83.0f - 100.0f * (0.5f - 0.5f * std::cos(3.14159265f / 4.0f))},
        {0.25f, 33.0f},
        {0.375f, 83.0f - 100.0f * (0.5f - 0.5f * std::cos(3.0f * 3.14159265f / 4.0f))},
    };
    for (const auto& [t, x] : path) {
        slider->OnUpdate(0.125f);
        EXPECT_NEAR(slider->knobHolder->position.x, x, 1e-3f) << t;
    }
    EXPECT_EQ(events.moved.size(), 3u);
    EXPECT_TRUE(events.released.empty());
    slider->OnUpdate(0.125f);
    EXPECT_FLOAT_EQ(slider->knobHolder->position.x, -17.0f);
    ASSERT_EQ(events.released.size(), 1u) << "the glide's end reports the release";
    EXPECT_NEAR(events.released[0], 68.0f / 168.0f, 1e-5f);
    EXPECT_FLOAT_EQ(slider->glideDuration, 0.0f);
}

class MessageBoxTest : public SkinnedWidgetsTest {};

TEST_F(MessageBoxTest, InformationHasOneButtonAndConfirmationTwo)
{
    struct Row {
        const wchar_t* command;
        std::vector<float> xs; // first button, then second
    };
    const Row rows[] = {{L"", {512.0f}}, {L"restart", {620.0f, 400.0f}}};
    for (const Row& row : rows) {
        auto* box = new TMessageBox(L"profile_corrupt", row.command);
        box->renderer = &renderer;
        ASSERT_EQ(SorvanDialog::ShowModal(box, &manager), GE_OK);
        ASSERT_NE(box->firstButton, nullptr);
        EXPECT_FLOAT_EQ(box->firstButton->gui::GameControl::position.x, row.xs[0]);
        if (row.xs.size() > 1) {
            ASSERT_NE(box->secondButton, nullptr);
            EXPECT_FLOAT_EQ(box->secondButton->gui::GameControl::position.x, row.xs[1]);
        } else {
            EXPECT_EQ(box->secondButton, nullptr);
        }
        manager.Update(0.0f);
        box->Hide(true);
        manager.Update(0.0f);
    }
}

TEST_F(MessageBoxTest, CancelRunsNothingAndOkClosesThenRuns)
{
    std::vector<std::wstring> ran;
    for (bool confirm : {false, true}) {
        auto* box = new TMessageBox(L"progress_confirm_text", L"mmenu");
        box->renderer = &renderer;
        box->runCommand = [&ran, box](const std::wstring& command) {
            EXPECT_TRUE(box->disabled) << "closed before the command runs";
            ran.push_back(command);
        };
        ASSERT_EQ(SorvanDialog::ShowModal(box, &manager), GE_OK);
        ASSERT_EQ(manager.Update(0.0f), GE_OK);
        EXPECT_TRUE(manager.InStack(box));
        const float x = confirm ? 400.0f : 620.0f;
        Move(x, 500);
        Press(x, 500);
        Release(x, 500);
        ASSERT_EQ(manager.Update(0.0f), GE_OK);
        EXPECT_FALSE(manager.InStack(box)) << confirm;
    }
    EXPECT_EQ(ran, std::vector<std::wstring>{L"mmenu"});
}

TEST_F(MessageBoxTest, ADialogThatCannotBeBuiltIsNotShown)
{
    struct Broken : TMessageBox {
        Broken() : TMessageBox(L"profile_corrupt", L"") {}
        GEResultEnum Init() override { return OpenSkin(L"no/such/image"); }
    };
    LogCapture log;
    const size_t before = manager.stack.size();
    EXPECT_EQ(SorvanDialog::ShowModal(new Broken, &manager), GE_FAIL);
    ASSERT_EQ(manager.Update(0.0f), GE_OK);
    EXPECT_EQ(manager.stack.size(), before);
    EXPECT_EQ(log.Count(L"is not shown"), 1);
}

} // namespace
