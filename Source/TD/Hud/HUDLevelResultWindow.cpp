#include "Source/TD/Hud/HUDLevelResultWindow.h"

#include "Core/Render/Graphics.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Completion events of the first six episodes.
constexpr int kEpisodeEvents[] = {1, 2, 3, 4, 5, 6};

bool GemsOnLevelComplete()
{
    return FeatureConfig::instance()->activeFeatures().premiumPointsOnLevelComplete;
}

std::wstring Text(const wchar_t* key)
{
    return LocalStrings::Instance()->get(key);
}

} // namespace

int HUDLevelResultWindow::starsFor(float health, float maxHealth)
{
    if (!(maxHealth > 0.0f))
        return 0;
    const float r = health / maxHealth;
    if (r == 1.0f)
        return 3;
    if (r >= 0.5f && r < 1.0f)
        return 2;
    if (r > 0.0f && r < 0.5f)
        return 1;
    return 0;
}

int HUDLevelResultWindow::countUp(int value, float t)
{
    return static_cast<int>(static_cast<float>(value) * std::min(t, 1.0f) + 0.5f);
}

int HUDLevelResultWindow::starGems(int stars, int storedStars)
{
    return stars > storedStars ? 15 * (stars - storedStars) : 0;
}

int HUDLevelResultWindow::episodeEventId(int episode)
{
    return episode >= 0 && episode < static_cast<int>(std::size(kEpisodeEvents)) ? kEpisodeEvents[episode] : -1;
}

HUDLevelResultWindow::HUDLevelResultWindow() : HUDWindow(L"td/ui_levelresult")
{
    alpha = 0.0f;
    TDMap* map = CurrentLevel();
    if (!map)
        return;
    // Running effects end without new particles.
    for (ParticleEffect* effect : map->mEffects)
        if (effect && effect->emitter && effect->emitter->GetState() != render::ParticleEmitter::Stopping)
            effect->emitter->Stop();

    stars = starsFor(map->mHealth, map->mMaxHealth);
    for (int k = 0; k < 3; ++k)
        setImageVisible(L"star" + std::to_wstring(k), k < stars);

    PlayerProgress* progress = map->mProgress;
    const LevelResult previous = progress ? progress->getLevelResult(map->mEpisode, map->mLevel) : LevelResult();
    TDPlayerStats* stats = map->mStats;
    killScore = stats ? stats->mKillRewardSum : 0;
    comboBonus = stats ? stats->mComboBonusSum : 0;
    lifeBonus = static_cast<int>(map->mHealth * 100.0f);
    const int storedStars = map->mGameResult == 1 ? stars : 0;

    if (GemsOnLevelComplete() && progress) {
        const int fromStars = starGems(stars, previous.stars);
        // The episode bonus comes with the result that completes the episode: this
        // level counts with the stars it is about to store.
        int episodeGems = 0;
        const int event = episodeEventId(map->mEpisode);
        if (event != -1 && !progress->isEpisodeEventSeen(event)) {
            bool complete = true;
            const int count = map->episodeLevelCount(map->mEpisode);
            for (int level = 0; level < count && complete; ++level) {
                const int levelStars = level == map->mLevel
                                           ? std::max(storedStars, previous.stars)
                                           : progress->getLevelResult(map->mEpisode, level).stars;
                complete = levelStars >= 1;
            }
            if (complete && count > 0) {
                episodeGems = 100;
                progress->setEpisodeEventSeen(event);
            }
        }
        gemsAwarded = fromStars + episodeGems;
        if (gemsAwarded > 0 && stats)
            stats->addGems(gemsAwarded);
    }
    setText(L"gems", Text(L"gems") + L": " + std::to_wstring(gemsAwarded));

    const int best = std::max(killScore + lifeBonus, previous.high);
    setText(L"bestScore", Text(L"game_best_score") + std::to_wstring(best));

    if (progress) {
        LevelResult result;
        result.kills = killScore;
        result.combo = comboBonus;
        result.healthBonus = lifeBonus;
        result.stars = storedStars;
        result.gems = 0;
        progress->setLevelResult(map->mEpisode, map->mLevel, result);
    }
}

void HUDLevelResultWindow::setPhase(int phase)
{
    state = phase;
    time = 0.0f;
}

void HUDLevelResultWindow::setCount(const wchar_t* name, const wchar_t* key, int value)
{
    setText(name, Text(key) + std::to_wstring(value));
}

void HUDLevelResultWindow::update(float dt)
{
    HUDWindow::update(dt);
    switch (state) {
    case FadeIn:
        alpha = std::min(alpha + 4.0f * dt, 1.0f);
        if (time > 0.25f)
            setPhase(Kills);
        break;
    case Kills:
        alpha = 1.0f;
        if (killScore == 0)
            setPhase(Combo);
        break;
    case Combo:
        if (comboBonus == 0)
            setPhase(Life);
        break;
    default:
        break;
    }
    for (TDButtonFrame* button : buttons)
        button->mColor.w = alpha;
}

void HUDLevelResultWindow::draw(render::Graphics* graphics)
{
    const TDMap* map = CurrentLevel();
    const int health = map ? static_cast<int>(std::floor(map->mHealth * 100.0f)) : lifeBonus;
    const float t = time;
    switch (state) {
    case FadeIn:
        graphics->SetColor(1.0f, 1.0f, 1.0f, std::min(2.0f * t, 1.0f));
        break;
    case Kills:
        setCount(L"killScore", L"game_kill_score", countUp(killScore, t));
        if (t > 1.0f)
            setPhase(Combo);
        break;
    case Combo:
        setText(L"goldBonus", L"");
        if (t > 1.0f)
            setPhase(Life);
        break;
    case Life:
        setCount(L"lifeBonus", L"game_life_bonus", countUp(health, t));
        if (t > 1.0f)
            setPhase(Total);
        break;
    case Total:
        setCount(L"totalScore", L"game_total_score", countUp(killScore + health, t));
        if (t > 1.0f)
            setPhase(Finished);
        break;
    default:
        break;
    }
    if (state != FadeIn)
        graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    HUDWindow::draw(graphics);
}
