#include "Source/TD/Screens/HUDLevelSelect.h"

#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Audio/PlayMusicTrack.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Screens/LevelPlate.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"

#include <algorithm>

namespace {

layer::Layer* RootBoardLayer()
{
    GameWindow* board = Game::sInstance ? Game::sInstance->mGameWindow : nullptr;
    return board ? board->layer : nullptr;
}

} // namespace

HUDLevelSelect::HUDLevelSelect()
{
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(L"td/level_select", L"Level select");
    if (document)
        build(document.get());
    PlayMusicTrack(L"td/data/music/main_menu.ogg");
    font = GameFont(L"td/data/fonts/main_42_3");
    TDMap* map = CurrentLevel();
    PlayerProgress* progress = map ? map->mProgress : nullptr;
    episode = map ? map->mEpisode : 0;
    if (map)
        map->mReturnName = L"levels";

    episodeTitle = new layer::TextLayer(layer::TextLayer::ShareFont(GameFont(L"td/data/fonts/main_80")),
                                        LocalStrings::Instance()->get(L"episode" + std::to_wstring(episode)));
    episodeTitle->SetAlign(2, 2);
    if (const TDFrameEntry* place = textAnchors.count(L"episode") ? textAnchors.at(L"episode") : nullptr)
        episodeTitle->SetPosition(place->centerX(), place->centerY(), 0.0f);
    else
        GE_LOG(L"Level select: the document has no place 'text/episode'; the title stands at the top left.\n");

    for (const wchar_t* hidden : {L"locked_d", L"unlocked_d"})
        if (TDButtonFrame* button = findButton(hidden))
            button->mVisible = false;
    setImageVisible(L"skulls", false);
    setText(L"gems", std::to_wstring(progress ? progress->getGems() : 0));
    const int count = map ? map->episodeLevelCount(episode) : -1;
    const int stars = progress ? progress->getEpisodeStars(episode) : 0;
    setText(L"stars", std::to_wstring(stars) + L"/" + std::to_wstring(3 * std::max(0, count)));

    if (layer::Layer* board = RootBoardLayer())
        board->AddChild(episodeTitle);

    for (int i = 0; i < count; ++i)
        plates.push_back(new LevelPlate(episode, i, document.get()));
    if (progress && count > 0)
        progress->setEpisodeVisited(episode, count);
}

HUDLevelSelect::~HUDLevelSelect()
{
    dropEpisodeTitle();
    for (LevelPlate* plate : plates)
        delete plate;
    plates.clear();
}

void HUDLevelSelect::dropEpisodeTitle()
{
    DeleteLayer(episodeTitle);
    episodeTitle = nullptr;
}

void HUDLevelSelect::draw(render::Graphics* graphics)
{
    HUDWindow::draw(graphics);
    for (LevelPlate* plate : plates)
        plate->root->DrawTree(graphics);
}

void HUDLevelSelect::update(float dt)
{
    HUDWindow::update(dt);
    for (LevelPlate* plate : plates)
        plate->update(dt);
    // Once a level loads, the title must not stay over it; a message over the level
    // select leaves it.
    TDMap* map = CurrentLevel();
    if (map && map->mState == 1)
        dropEpisodeTitle();
}

void HUDLevelSelect::onMouseMove(int x, int y)
{
    HUDWindow::onMouseMove(x, y);
    for (LevelPlate* plate : plates)
        plate->hover = plate->unlocked && plate->contains(x, y) ? 1 : 0;
}

int HUDLevelSelect::hitTest(int x, int y)
{
    for (size_t i = 0; i < plates.size(); ++i)
        if (plates[i]->contains(x, y))
            return static_cast<int>(i);
    return -1;
}
