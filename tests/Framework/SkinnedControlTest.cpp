// Controls built from a layered-image folder: state layers laid out around their
// common centre, and a skinned button driven through the frame manager's pointer
// dispatch (hover, press, drag off and back, release, disable).
#include "Core/File/FileManager.h"
#include "Framework/Gui/GameControl.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Widget/BaseBoard.h"
#include "Framework/Widget/Button.h"
#include "Framework/Widget/ButtonMediator.h"
#include "Framework/Widget/FrameManager.h"
#include "Framework/Widget/Slider.h"
#include "Framework/Widget/TrapHitTestListener.h"
#include "tests/Render/MemoryTexture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// An opaque 32-bit TGA of one colour.
void WriteTga(const fs::path& path, int w, int h, u32 argb)
{
    std::string bytes(18, '\0');
    bytes[2] = 2; // uncompressed true colour
    bytes[12] = char(w & 0xFF);
    bytes[13] = char(w >> 8);
    bytes[14] = char(h & 0xFF);
    bytes[15] = char(h >> 8);
    bytes[16] = 32;
    bytes[17] = 0x28; // 8 alpha bits, rows from the top
    for (int i = 0; i < w * h; ++i) {
        for (int shift : {0, 8, 16, 24})
            bytes += char((argb >> shift) & 0xFF);
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Entry {
    const char* name;
    int x, y, w, h;
};

// A "layers.xml" folder with one image file per entry.
void WriteSkin(const fs::path& folder, const std::vector<Entry>& entries)
{
    fs::create_directories(folder);
    std::ofstream xml(folder / "layers.xml");
    xml << "<Layers>\n";
    for (const Entry& e : entries) {
        xml << "<Layer name='" << e.name << "' x='" << e.x << "' y='" << e.y << "' width='" << e.w
            << "' height='" << e.h << "' opacity='255' ind='0'/>\n";
        WriteTga(folder / (std::string(e.name) + ".tga"), e.w, e.h, 0xFF336699u);
    }
    xml << "</Layers>\n";
}

// The game's kind of skinned button: a button that is its own mediator, showing the
// state layer of its visual state.
class SkinButton : public widget::Button, public widget::ButtonMediator {
public:
    explicit SkinButton(render::Render* renderer) : widget::Button(new gui::GameControl, true)
    {
        control = static_cast<gui::GameControl*>(layer);
        control->renderer = renderer;
        SetButton(this, false);
        captureOnPress = 1;
    }
    GEResultEnum Load(const std::wstring& skin)
    {
        if (GEResultEnum result =
                control->Open(skin, this, static_cast<widget::WidgetHitTestListener*>(this)))
            return result;
        const wchar_t* names[] = {L"play_normal", L"play_over", L"play_pressed"};
        for (int i = 0; i < 3; ++i) {
            if (GEResultEnum result = control->LoadState(i, names[i]))
                return result;
        }
        control->UpdateLayout();
        return SetVisualState(widget::kButtonNormal);
    }
    GEResultEnum SetVisualState(int state) override
    {
        shown.push_back(state);
        for (int i = 0; i < control->GetStateCount(); ++i)
            control->GetState(i)->visible = i == state;
        return GE_OK;
    }

    gui::GameControl* control = nullptr;
    std::vector<int> shown;
};

class Screen : public widget::BaseBoard {
public:
    Screen() { hitLayer->SetRect(layer::Rect{0, 0, 1024, 768}); }
    ~Screen() override { Clear(true, true, false); }
    GEResultEnum OnWidgetMouseDown(const math::Point3&, const layer::OnMouseDown&) override
    {
        ++presses;
        return GE_OK;
    }
    int presses = 0;
};

struct ClickCounter : widget::ButtonListener {
    GEResultEnum OnButtonClick(widget::Button*) override
    {
        ++clicks;
        return GE_OK;
    }
    int clicks = 0;
};

class SkinnedControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = fs::temp_directory_path() / ("skinned-control-" + std::to_string(getpid()));
        fs::remove_all(folder);
        WriteSkin(folder / "skin", {{"play_normal", 100, 50, 40, 20},
                                    {"play_over", 100, 50, 40, 20},
                                    {"play_pressed", 100, 50, 40, 20},
                                    {"wide", 10, 10, 20, 20},
                                    {"small", 0, 0, 10, 10},
                                    {"backdrop", 0, 0, 200, 200}});
        previous = fs::current_path();
        fs::current_path(folder);
    }
    static void TearDownTestSuite()
    {
        fs::current_path(previous);
        fs::remove_all(folder);
    }

    void SetUp() override
    {
        screen = new Screen;
        button = new SkinButton(&renderer);
        ASSERT_EQ(button->Load(L"skin"), GE_OK);
        button->buttonListener = &counter;
        ASSERT_EQ(screen->AddChild(button), GE_OK);
        manager.QueueAdd({screen, widget::kFrameNormal, true});
        ASSERT_EQ(manager.Update(0.016f), GE_OK);
        button->shown.clear();
    }
    void TearDown() override { manager.DetachAll(); }

    void Move(float x, float y) { ASSERT_EQ(manager.OnMouseMove({x, y}), GE_OK); }
    void Drag(float x, float y) { ASSERT_EQ(manager.OnMouseDrag({x, y}), GE_OK); }
    void Press(float x, float y) { ASSERT_EQ(manager.OnMouseDown({x, y}, 1), GE_OK); }
    void Release(float x, float y) { ASSERT_EQ(manager.OnMouseUp({x, y}, 1), GE_OK); }

    static inline fs::path folder;
    static inline fs::path previous;
    test::TextureRender renderer;
    widget::FrameManager manager;
    Screen* screen = nullptr;
    SkinButton* button = nullptr;
    ClickCounter counter;
};

TEST_F(SkinnedControlTest, StatesAreLaidOutAroundTheCentreOfTheirUnion)
{
    EXPECT_EQ(button->control->GetStateCount(), 3);
    EXPECT_EQ(std::vector<i32>(button->control->unionRect, button->control->unionRect + 4),
              (std::vector<i32>{100, 50, 40, 20}));
    EXPECT_FLOAT_EQ(button->control->position.x, 120.0f);
    EXPECT_FLOAT_EQ(button->control->position.y, 60.0f);
    EXPECT_FLOAT_EQ(button->control->GetState(2)->position.x, -20.0f);
    EXPECT_EQ(button->control->GetState(2)->parent, button->control);

    gui::GameControl control;
    control.renderer = &renderer;
    ASSERT_EQ(control.Open(L"skin", nullptr, nullptr), GE_OK);
    ASSERT_EQ(control.LoadState(0, L"wide"), GE_OK);
    ASSERT_EQ(control.LoadState(1, L"small"), GE_OK);
    EXPECT_EQ(std::vector<i32>(control.unionRect, control.unionRect + 4), (std::vector<i32>{0, 0, 30, 30}));
    control.UpdateLayout();
    EXPECT_FLOAT_EQ(control.position.x, 15.0f);
    EXPECT_FLOAT_EQ(control.position.y, 15.0f);
    EXPECT_FLOAT_EQ(control.GetState(0)->position.x, -5.0f);
    EXPECT_FLOAT_EQ(control.GetState(1)->position.y, -15.0f);
}

TEST_F(SkinnedControlTest, EmptyOrMissingEntriesLeaveTheControlUnchanged)
{
    gui::GameControl control;
    control.renderer = &renderer;
    EXPECT_EQ(control.Open(L"no-such-skin", nullptr, nullptr), GE_FAIL);
    ASSERT_EQ(control.Open(L"skin", nullptr, nullptr), GE_OK);
    EXPECT_EQ(control.LoadState(0, L""), GE_OK);
    EXPECT_FALSE(control.hasRect);
    EXPECT_EQ(control.GetStateCount(), 0);

    ASSERT_EQ(control.LoadState(0, L"small"), GE_OK);
    EXPECT_NE(control.LoadState(1, L"missing"), GE_OK);
    EXPECT_NE(control.LoadState(-1, L"wide"), GE_OK);
    EXPECT_EQ(control.GetStateCount(), 1);
    EXPECT_EQ(std::vector<i32>(control.unionRect, control.unionRect + 4), (std::vector<i32>{0, 0, 10, 10}));
}

TEST_F(SkinnedControlTest, DragOffAndReleaseGivesNoClickAndNormalState)
{
    Move(110, 55);
    Press(110, 55);
    EXPECT_EQ(button->visualState, widget::kButtonPressed);
    Drag(300, 300);
    EXPECT_EQ(button->visualState, widget::kButtonNormal);
    Release(300, 300);
    EXPECT_EQ(counter.clicks, 0);
    EXPECT_EQ(button->visualState, widget::kButtonNormal);
    EXPECT_FALSE(button->pressed);
    EXPECT_EQ(manager.capture.widget, nullptr);
    EXPECT_EQ(button->shown, (std::vector<int>{1, 2, 0}));
    // The layer on show follows the state.
    EXPECT_TRUE(button->control->GetState(0)->visible);
    EXPECT_FALSE(button->control->GetState(2)->visible);
}

TEST_F(SkinnedControlTest, BackOnBeforeReleaseClicksAndShowsOver)
{
    Move(110, 55);
    Press(110, 55);
    Drag(300, 300);
    Drag(130, 65);
    EXPECT_EQ(button->visualState, widget::kButtonPressed);
    Release(130, 65);
    EXPECT_EQ(counter.clicks, 1);
    EXPECT_EQ(button->visualState, widget::kButtonOver);
    EXPECT_EQ(button->shown, (std::vector<int>{1, 2, 0, 2, 1}));

    // A press and release with no move before it (a touch) clicks as well.
    Move(300, 300);
    Press(110, 55);
    Release(110, 55);
    EXPECT_EQ(counter.clicks, 2);
    EXPECT_EQ(button->visualState, widget::kButtonOver);
}

TEST_F(SkinnedControlTest, DisablingAHoveredButtonShowsNormalAndEnablingShowsOver)
{
    Move(110, 55);
    ASSERT_EQ(button->visualState, widget::kButtonOver);
    ASSERT_EQ(button->SetDisabled(true), GE_OK);
    EXPECT_EQ(button->visualState, widget::kButtonNormal);
    // Hovering while disabled keeps it normal, and a press neither captures nor clicks.
    Move(300, 300);
    Move(112, 56);
    EXPECT_EQ(button->visualState, widget::kButtonNormal);
    Press(112, 56);
    Release(112, 56);
    EXPECT_EQ(counter.clicks, 0);
    EXPECT_EQ(button->visualState, widget::kButtonNormal);

    ASSERT_EQ(button->SetDisabled(false), GE_OK);
    EXPECT_EQ(button->visualState, widget::kButtonOver);
    Move(300, 300);
    ASSERT_EQ(button->SetDisabled(true), GE_OK);
    ASSERT_EQ(button->SetDisabled(false), GE_OK);
    EXPECT_EQ(button->visualState, widget::kButtonNormal);
}

TEST_F(SkinnedControlTest, FailedStateChangeKeepsTheOldState)
{
    struct FailingButton : SkinButton {
        using SkinButton::SkinButton;
        GEResultEnum SetVisualState(int state) override { return state == 1 ? GE_FAIL : GE_OK; }
    };
    FailingButton failing(&renderer);
    EXPECT_EQ(failing.OnHoverChange(true), GE_FAIL);
    EXPECT_EQ(failing.visualState, widget::kButtonNormal);
}

TEST_F(SkinnedControlTest, ClickRunsTheDelegateThenTheListener)
{
    struct Target {
        GEResultEnum Run()
        {
            ++runs;
            return result;
        }
        int runs = 0;
        GEResultEnum result = GE_OK;
    } target;
    button->clickDelegate =
        std::make_shared<base::MemberDelegate0<Target, GEResultEnum>>(&target, &Target::Run);
    EXPECT_EQ(button->Click(), GE_OK);
    EXPECT_EQ(target.runs, 1);
    EXPECT_EQ(counter.clicks, 1);
    // A failing delegate stops before the listener.
    target.result = GE_FAIL;
    EXPECT_EQ(button->Click(), GE_FAIL);
    EXPECT_EQ(counter.clicks, 1);
}

TEST_F(SkinnedControlTest, TrappedBackdropSwallowsEventsOverItsArea)
{
    // The backdrop goes below the states and traps what lands on it.
    layer::ImageLayer* backdrop = nullptr;
    ASSERT_EQ(button->control->InsertNamedLayer(L"backdrop", gui::kInsertTrapHits, &backdrop), GE_OK);
    EXPECT_EQ(button->control->children.front(), backdrop);
    EXPECT_FLOAT_EQ(backdrop->position.x, -120.0f); // relative to the control at (120, 60)

    Move(110, 55);
    EXPECT_EQ(button->visualState, widget::kButtonOver);
    // Over the backdrop but off the button: the hover ends, the screen gets nothing.
    Move(20, 150);
    EXPECT_EQ(button->visualState, widget::kButtonNormal);
    Press(20, 150);
    Release(20, 150);
    EXPECT_EQ(screen->presses, 0);
    EXPECT_EQ(counter.clicks, 0);
    // Beyond the backdrop the screen takes the press.
    Press(500, 500);
    EXPECT_EQ(screen->presses, 1);
    // The button still works on top of its backdrop.
    Press(110, 55);
    Release(110, 55);
    EXPECT_EQ(counter.clicks, 1);
}

TEST(SliderTest, ReportsThroughItsDelegatesWhenSet)
{
    struct Target {
        GEResultEnum Moved(widget::Slider*, float v)
        {
            moved.push_back(v);
            return GE_OK;
        }
        GEResultEnum Released(widget::Slider*, float v)
        {
            released.push_back(v);
            return GE_FAIL;
        }
        std::vector<float> moved, released;
    } target;
    widget::Slider slider;
    EXPECT_EQ(slider.captureOnPress, 1u);
    EXPECT_EQ(slider.sliderListener, &slider);
    EXPECT_EQ(slider.sliderListener->OnSliderMoved(&slider, 0.25f), GE_OK); // no delegate yet
    using Bound = base::MemberDelegate2<Target, widget::Slider*, float, GEResultEnum>;
    slider.movedDelegate = std::make_shared<Bound>(&target, &Target::Moved);
    slider.releasedDelegate = std::make_shared<Bound>(&target, &Target::Released);
    EXPECT_EQ(slider.sliderListener->OnSliderMoved(&slider, 0.5f), GE_OK);
    EXPECT_EQ(slider.sliderListener->OnSliderReleased(&slider, 0.75f), GE_FAIL);
    EXPECT_EQ(target.moved, std::vector<float>{0.5f});
    EXPECT_EQ(target.released, std::vector<float>{0.75f});
}

} // namespace
