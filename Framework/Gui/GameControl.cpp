#include "Framework/Gui/GameControl.h"
#include "Core/Base/Log.h"
#include "Core/Render/Math/MathHelpers.h"
#include "Framework/Layer/ImageLayer.h"
#include <cmath>

namespace gui {

namespace {

bool Differs(const math::Point3& a, const math::Point3& b)
{
    return std::fabs(a.x - b.x) > layer::kBoundsTolerance || std::fabs(a.y - b.y) > layer::kBoundsTolerance ||
           std::fabs(a.z - b.z) > layer::kBoundsTolerance;
}

void DeleteDetached(layer::Layer* l)
{
    if (l->parent)
        l->parent->RemoveChild(l);
    delete l;
}

} // namespace

GameControl::GameControl() = default;

GameControl::~GameControl()
{
    for (layer::Layer* state : stateLayers) {
        if (!state)
            continue;
        // A state layer also handed to AddLayer must not be deleted twice.
        Disown(state);
        DeleteDetached(state);
    }
    stateLayers.clear();
}

GEResultEnum GameControl::LoadState(int index, const std::wstring& entryName, layer::ImageLayer** layerOut)
{
    if (entryName.empty())
        return GE_OK;
    if (index < 0 || index >= kMaxStates) {
        GE_LOG(L"Control state %d ('%s') is out of range.\n") << index << entryName;
        return GE_FAIL;
    }
    layer::Rect rect;
    layer::ImageLayer* made = nullptr;
    if (GEResultEnum result = LoadLayer(entryName, &rect, &made))
        return result;
    if (static_cast<size_t>(index) >= stateLayers.size())
        stateLayers.resize(static_cast<size_t>(index) + 1, nullptr);
    // Loading a state again replaces its layer instead of leaking the old one.
    if (layer::Layer* old = stateLayers[static_cast<size_t>(index)]) {
        Disown(old);
        DeleteDetached(old);
    }
    stateLayers[static_cast<size_t>(index)] = made;

    const i32 entry[4] = {static_cast<i32>(rect.x), static_cast<i32>(rect.y), static_cast<i32>(rect.w),
                          static_cast<i32>(rect.h)};
    if (!hasRect) {
        for (int i = 0; i < 4; ++i)
            unionRect[i] = entry[i];
    } else {
        RectUnion(unionRect, unionRect, entry);
    }
    hasRect = true;
    if (layerOut)
        *layerOut = made;
    return GE_OK;
}

void GameControl::UpdateLayout()
{
    const float cx = std::floor(static_cast<float>(unionRect[0]) + static_cast<float>(unionRect[2]) * 0.5f);
    const float cy = std::floor(static_cast<float>(unionRect[1]) + static_cast<float>(unionRect[3]) * 0.5f);
    const math::Point3 centre{static_cast<float>(static_cast<i32>(cx)),
                              static_cast<float>(static_cast<i32>(cy)), 0.0f};
    if (Differs(position, centre))
        SetPosition(centre.x, centre.y, centre.z);
    for (layer::Layer* state : stateLayers) {
        if (!state)
            continue;
        const math::Point3 to{state->position.x - centre.x, state->position.y - centre.y, state->position.z};
        if (Differs(state->position, to))
            state->SetPosition(to.x, to.y, to.z);
        AddChild(state);
    }
}

layer::Layer* GameControl::GetState(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= stateLayers.size())
        return nullptr;
    return stateLayers[static_cast<size_t>(index)];
}

} // namespace gui
