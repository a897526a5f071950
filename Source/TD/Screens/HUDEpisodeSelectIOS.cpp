#include "Source/TD/Screens/HUDEpisodeSelectIOS.h"

#include "Core/Base/Log.h"
#include "Core/Base/WideFormat.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Graphics.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"

#include <tinyxml2.h>

#include <algorithm>

namespace {

constexpr int kDragTop = 176, kDragBottom = 574;
constexpr int kPlateLeft = 323, kPlateRight = 701, kPlateTop = 201, kPlateBottom = 569;
constexpr float kFadeSpeed = 4.0f;

std::wstring Text(const std::wstring& key)
{
    return LocalStrings::Instance()->get(key);
}

// The pattern's first directive filled with the count; the rest of the pattern stays.
std::wstring FormatCount(const std::wstring& pattern, int count)
{
    WideFormat text(pattern);
    text % count;
    text.Finish();
    return text.Output();
}

std::wstring Decimal(int value)
{
    return std::to_wstring(value);
}

} // namespace

bool HUDEpisodeSelectIOS::isEpisodeUnlocked(TDMap* map, int episode)
{
    if (!map || !map->mProgress || map->episodeLevelCount(episode) <= 0)
        return false;
    return map->episodeStarsRequired(episode) <= map->mProgress->getEpisodeStars(-1);
}

HUDEpisodeSelectIOS::HUDEpisodeSelectIOS()
{
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(L"td/episode_select", L"Episode select");
    if (document)
        build(document.get());
    TDMap* map = CurrentLevel();
    PlayerProgress* progress = map ? map->mProgress : nullptr;

    const int last = progress && progress->profile ? progress->profile->IntAttribute("lastEpisode", 0) : 0;
    pager = std::make_unique<EpisodePager>(last);
    if (document) {
        lockImage = LoadLayerImage(document.get(), L"plates/lock");
        newImage = LoadLayerImage(document.get(), L"plates/new");
    }

    const int episodes = map ? static_cast<int>(map->mEpisodeTable.rows.size()) : 0;
    for (int n = 1; n <= episodes; ++n) {
        const int e = n - 1;
        const int required = map->episodeStarsRequired(e);
        const bool open = isEpisodeUnlocked(map, e);
        const int count = map->episodeLevelCount(e);
        EpisodePage page;
        if (document)
            page.image = LoadLayerImage(document.get(), L"plates/chapter_0" + Decimal(n));
        if (!page.image)
            GE_LOG(L"Episode select: the plate 'plates/chapter_0%d' is missing; the episode shows no picture.\n")
                << n;
        if (!open) {
            page.overlay = lockImage;
            if (count > 0)
                page.text = FormatCount(Text(L"unlockEpisodeText"), required);
            else if (count == -1)
                page.text = Text(L"comingSoon");
        }
        if (open && progress && progress->getEpisodeVisited(e) < count)
            page.badge = newImage;
        pager->addPage(page);
    }
    // The stored episode may lie past the pages the table has now.
    pager->clampCurrent();

    pager->onPageChanged = std::make_shared<base::MemberDelegate1<HUDEpisodeSelectIOS, int>>(
        this, &HUDEpisodeSelectIOS::onPageChanged);
    pager->onMotionStarted =
        std::make_shared<base::MemberDelegate0<HUDEpisodeSelectIOS>>(this, &HUDEpisodeSelectIOS::onMotionStarted);
    pager->onMotionEnded =
        std::make_shared<base::MemberDelegate0<HUDEpisodeSelectIOS>>(this, &HUDEpisodeSelectIOS::onMotionEnded);

    font = GameFont(L"td/data/fonts/main_42_3");
    setText(L"levelName", Text(L"episode" + Decimal(pager->current)));
    setText(L"caption", Text(L"episodes_caption"));
    const int stars = progress ? progress->getEpisodeStars(-1) : 0;
    const int total = map ? 3 * map->totalLevelCount() : 0;
    setText(L"stars", Decimal(stars) + L"/" + Decimal(total));
    pressed = false;
    playFade = 0;
}

HUDEpisodeSelectIOS::~HUDEpisodeSelectIOS() = default;

void HUDEpisodeSelectIOS::onPageChanged(int page)
{
    setText(L"levelName", Text(L"episode" + Decimal(page)));
}

void HUDEpisodeSelectIOS::onMotionStarted()
{
    if (playFade != 2)
        playFade = 1;
}

void HUDEpisodeSelectIOS::onMotionEnded()
{
    playFade = 3;
}

void HUDEpisodeSelectIOS::update(float dt)
{
    HUDWindow::update(dt);
    pager->update(dt);
    if (TDButtonFrame* left = findButton(L"arrow_left"))
        left->mVisible = pager->current > 0;
    if (TDButtonFrame* right = findButton(L"arrow_right"))
        right->mVisible = pager->current < pager->pageCount() - 1;
    TDButtonFrame* play = findButton(L"play");
    if (!play)
        return;
    float& a = play->mColor.w;
    switch (playFade) {
    case 0:
        play->mColor = {1.0f, 1.0f, 1.0f, 1.0f};
        break;
    case 1:
        a -= kFadeSpeed * dt;
        if (a < 0.0f) {
            a = 0.0f;
            playFade = 2;
        }
        break;
    case 3:
        a += kFadeSpeed * dt;
        if (a > 1.0f) {
            a = 1.0f;
            playFade = 0;
        }
        break;
    default:
        break;
    }
    play->mVisible = a != 0.0f;
}

void HUDEpisodeSelectIOS::onMousePressed(int x, int y)
{
    pressed = HUDWindow::click(x, y).empty();
}

void HUDEpisodeSelectIOS::onMouseMove(int x, int y)
{
    HUDWindow::onMouseMove(x, y);
    if (!pressed)
        return;
    if (pager->state == EpisodePager::Idle) {
        if (y >= kDragTop && y <= kDragBottom) {
            pager->state = EpisodePager::Dragging;
            pager->elapsed = 0.0f;
            pager->dragX = static_cast<float>(x);
            pager->dragY = static_cast<float>(y);
            onMotionStarted();
        }
    } else {
        pager->drag(x, y);
    }
}

void HUDEpisodeSelectIOS::onMouseReleased(int, int)
{
    if (pressed)
        pager->release();
    pressed = false;
}

int HUDEpisodeSelectIOS::hitTest(int x, int y)
{
    const std::wstring name = HUDWindow::click(x, y);
    const bool idle = pager->state == EpisodePager::Idle;
    int candidate = -1;
    refused = -1;
    if (name == L"play") {
        candidate = pager->current;
    } else if (x >= kPlateLeft && x <= kPlateRight && y >= kPlateTop && y <= kPlateBottom && idle) {
        candidate = pager->current;
    } else if (name == L"arrow_left" && idle) {
        onMotionStarted();
        pager->current -= 1;
        pager->offset = EpisodePager::kSpacing;
        pager->state = EpisodePager::GlidingBack;
        onPageChanged(pager->current);
        return -1;
    } else if (name == L"arrow_right" && idle) {
        onMotionStarted();
        pager->current += 1;
        pager->offset = -EpisodePager::kSpacing;
        pager->state = EpisodePager::GlidingForward;
        onPageChanged(pager->current);
        return -1;
    }
    if (candidate < 0)
        return -1;
    if (!isEpisodeUnlocked(CurrentLevel(), candidate)) {
        refused = candidate;
        return -1;
    }
    return candidate;
}

void HUDEpisodeSelectIOS::draw(render::Graphics* graphics)
{
    for (TDFrameEntry* image : images)
        if (image->mVisible)
            drawImageFrame(graphics, image);
    // The row is clipped to the band between the screen's side edges.
    const u8 wasClipped = graphics->state.scissorEnabled;
    float previous[4];
    std::copy(graphics->state.scissorRect, graphics->state.scissorRect + 4, previous);
    const float clip[4] = {40.0f, 0.0f, 940.0f, 768.0f};
    graphics->state.scissorEnabled = 1;
    std::copy(clip, clip + 4, graphics->state.scissorRect);
    graphics->dirty = 1;
    pager->draw(graphics);
    graphics->state.scissorEnabled = wasClipped;
    std::copy(previous, previous + 4, graphics->state.scissorRect);
    graphics->dirty = 1;
    for (TDButtonFrame* button : buttons)
        if (button->mVisible)
            button->draw(graphics, scale);
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    // The texts only: pictures and buttons are drawn above.
    std::vector<TDFrameEntry*> keptImages;
    keptImages.swap(images);
    std::vector<TDButtonFrame*> keptButtons;
    keptButtons.swap(buttons);
    HUDWindow::draw(graphics);
    images.swap(keptImages);
    buttons.swap(keptButtons);
}
