#include "Source/TD/Screens/LevelPlate.h"

#include "Core/Base/Log.h"
#include "Core/Render/Image.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/ParticlesLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

layer::ImageLayer* ImageLayerOf(const ImageHandle& image, float x, float y)
{
    auto* made = new layer::ImageLayer;
    made->SetImage(image.get(), false);
    made->SetPosition(x, y, 0.0f);
    return made;
}

float WidthOf(const ImageHandle& image)
{
    return image ? static_cast<float>(image->GetWidth()) : 0.0f;
}

float HeightOf(const ImageHandle& image)
{
    return image ? static_cast<float>(image->GetHeight()) : 0.0f;
}

// "episodeVisited" of the profile: how many levels of the episode were seen.
int VisitedCount(PlayerProgress* progress, int episode)
{
    if (!progress || !progress->profile)
        return 0;
    const tinyxml2::XMLElement* visited = progress->profile->FirstChildElement("episodeVisited");
    const std::string attribute = "episode" + std::to_string(episode);
    return visited ? visited->IntAttribute(attribute.c_str(), 0) : 0;
}

} // namespace

LevelPlate::LevelPlate(int episodeIndex, int levelIndex, file::ImageContainer* document)
    : episode(episodeIndex), level(levelIndex)
{
    TDMap* map = CurrentLevel();
    PlayerProgress* progress = map ? map->mProgress : nullptr;
    const int count = map ? map->episodeLevelCount(episode) : 0;
    const int firstOpen = progress ? progress->getFirstUnfinishedLevel(episode) : 0;
    unlocked = level <= firstOpen;
    const LevelResult result = progress ? progress->getLevelResult(episode, level) : LevelResult();
    stars = result.stars;
    completed = stars != 0;

    const wchar_t* state = completed ? (stars >= 3 ? L"plate/super" : L"plate/complete")
                                     : (unlocked ? L"plate/incomplete" : L"plate/locked");
    if (document) {
        stateImage = LoadLayerImage(document, state);
        starsPlateImage = LoadLayerImage(document, L"stars_plate/plate");
        starImage = LoadLayerImage(document, L"stars_plate/star");
        newImage = LoadLayerImage(document, L"plate/new");
    }
    if (!stateImage)
        GE_LOG(L"Level select: the plate picture '%s' is missing.\n") << state;
    w = static_cast<int>(WidthOf(stateImage));
    h = static_cast<int>(HeightOf(stateImage));
    root = new layer::Layer;
    plateLayer = ImageLayerOf(stateImage, -w / 2.0f, -h / 2.0f);

    if (completed && starsPlateImage) {
        starsPlate = ImageLayerOf(starsPlateImage, 0.0f, 0.0f);
        for (int k = 0; k < std::min(stars, 3) && starImage; ++k) {
            layer::ImageLayer* star = ImageLayerOf(starImage, 3.0f + 27.0f * static_cast<float>(k), 4.0f);
            star->SetZ(-1.0f);
            starsPlate->AddChild(star);
            starLayers.push_back(star);
        }
    }

    numberText = new layer::TextLayer(layer::TextLayer::ShareFont(GameFont(L"td/data/fonts/main_42_2")),
                                      std::to_wstring(level + 1));
    numberText->SetAlign(2, 2);
    numberText->SetPosition(w * 0.5f - 3.0f, h * 0.5f - 3.0f, 0.0f);
    numberText->visible = unlocked;
    plateLayer->AddChild(numberText);

    x = kLeft + kColumnStep * (level % kPerRow);
    y = kTop + kRowStep * (level / kPerRow);

    // The level to play next glows and shows a green number.
    int active = count - 1;
    for (int i = 0; i < count; ++i)
        if (progress && progress->getLevelResult(episode, i).stars == 0) {
            active = i;
            break;
        }
    if (active == level && !completed) {
        activeEmitter = render::ParticleSystem::Instance()->CreateEmitter("active_lvl");
        if (activeEmitter) {
            activeLayer = new layer::ParticlesLayer(activeEmitter, true);
            activeLayer->SetPosition(w / 2.0f, h / 2.0f, 0.0f);
            activeEmitter->Start();
            plateLayer->AddChild(activeLayer);
        }
        numberText->color = {0.0f, 1.0f, 0.0f, 1.0f};
    }

    if (starsPlate) {
        starsPlate->SetPosition((w - WidthOf(starsPlateImage)) * 0.5f, (h - HeightOf(starsPlateImage)) + 16.0f, 0.0f);
        plateLayer->AddChild(starsPlate);
    }

    if (VisitedCount(progress, episode) < level + 1 && unlocked && newImage) {
        newMarker = ImageLayerOf(newImage, 30.0f, -20.0f);
        newMarker->SetZ(-1.0f);
        plateLayer->AddChild(newMarker);
    }

    root->AddChild(plateLayer);
    root->SetPosition(x + w * 0.5f, y + h * 0.5f, 0.0f);
}

LevelPlate::~LevelPlate()
{
    for (layer::ImageLayer* star : starLayers)
        DeleteLayer(star);
    starLayers.clear();
    layer::Layer* nodes[] = {starsPlate, newMarker, numberText, activeLayer, plateLayer, root};
    for (layer::Layer* node : nodes)
        DeleteLayer(node);
}

void LevelPlate::update(float dt)
{
    if (hover == 0)
        scale = std::max(1.0f, scale - dt);
    else
        scale = std::min(1.1f, scale + dt * 0.5f);
    if (std::fabs(root->scale.x - scale) > 0.0002f || std::fabs(root->scale.y - scale) > 0.0002f)
        root->SetScale(scale, scale, 1.0f);
    if (activeEmitter)
        activeEmitter->Update(dt);
}
