// Drawing the level: the world as a painter's list of frame entries in fixed layers,
// drawn under the view transform, then the overlays, the tower menu, the HUD and its
// effects. Also the small drawing helpers of the level object.
#include "Source/TD/World/TDMap.h"

#include "Core/Base/Log.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Transform3D.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/RenderTarget.h"
#include "Framework/GameApplication.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/TMobShader.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/World/InterfaceAtlas.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PathGraph.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/QuadraticCurve.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDParticle.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDSprite.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/WaveHint.h"

#include <algorithm>
#include <cmath>

namespace {

// The radius disc is this many units across at scale 1.
constexpr float kRadiusImageSize = 336.0f;
// Interface circles convert degrees with this value of pi.
constexpr float kDegrees = 3.14f / 180.0f;

bool IsWorldScreen(int screen)
{
    switch (screen) {
    case 0:
    case 1:
    case 2:
    case 4:
    case 9:
    case 10:
    case 11:
    case 19:
    case 21:
    case 22:
    case 23:
        return true;
    default:
        return false;
    }
}

// A copy of a level entry for this frame: not rotated, scale 1, at its rectangle's
// centre.
TDFrameEntry* PlacedCopy(const TDFrameEntry& source)
{
    auto* copy = new TDFrameEntry(source);
    copy->mQueued = false;
    copy->mTransform.Reset();
    copy->mTransform.Translate(source.centerX(), source.centerY());
    return copy;
}

void Append(std::vector<TDFrameEntry*>& to, const std::vector<TDFrameEntry*>& from)
{
    to.insert(to.end(), from.begin(), from.end());
}

// The view transform of the world: scale, then the offset.
math::Transform3D ViewTransform(float scale, const float offset[2])
{
    math::Transform3D view;
    view.Reset();
    view.Scale(scale, scale, 1.0f);
    view.Translate(offset[0], offset[1], 0.0f);
    return view;
}

void DrawCentredImage(render::Graphics* g, render::Image* image, const math::Transform2D& t, bool mirrored)
{
    auto request = g->DrawImage(image);
    request.SetAlign(2, 2);
    request->flipX = mirrored ? 1 : 0;
    render::DrawTransform2DParam<render::DrawImageParam> placed(std::move(request), t);
}

} // namespace

bool compareDepth(const TDFrameEntry* a, const TDFrameEntry* b)
{
    return a->mDepth < b->mDepth;
}

void TDMap::collectDrawList(render::Graphics* g)
{
    if (mWaves)
        for (TDMob* mob : mWaves->mobs)
            mob->drawBody(g, *this);
    for (TDTower* tower : mTowers)
        tower->draw(g, mTowerSprites);

    if (mLevelArt) {
        for (const TDFrameEntry* layer : mLevelArt->mLayerSprites) {
            if (!layer->mVisible)
                continue;
            TDFrameEntry* copy = PlacedCopy(*layer);
            const std::wstring& name = copy->mName;
            // Layer names may be paths in the art's image: the last part classifies.
            const size_t slash = name.rfind(L'/');
            const std::wstring leaf = slash == std::wstring::npos ? name : name.substr(slash + 1);
            if (!leaf.empty() && (leaf[0] == L'^' || leaf[0] == L'$'))
                mOverLayers.push_back(copy);
            else if (!leaf.empty() && leaf[0] == L'%')
                mTopLayers.push_back(copy);
            else if (leaf == L"##")
                mHashLayers.push_back(copy);
            else
                mGroundLayers.push_back(copy);
        }
        for (const TDFrameEntry* object : mLevelArt->mSpotSprites)
            if (object->mVisible)
                mLevelObjects.push_back(PlacedCopy(*object));
    }

    std::sort(mGroundUnits.begin(), mGroundUnits.end(), compareDepth);
    std::sort(mUpperUnits.begin(), mUpperUnits.end(), compareDepth);
    std::sort(mTowerSprites.begin(), mTowerSprites.end(), compareDepth);

    for (const std::vector<TDFrameEntry*>* layer :
         {&mGroundLayers, &mGroundShadows, &mGroundUnits, &mOverLayers, &mUpperShadows, &mUpperUnits,
          &mLevelObjects, &mTowerSprites, &mHashLayers})
        Append(mDrawList, *layer);

    for (const ParticleEffect* effect : mEffects) {
        if (!effect->emitter)
            continue;
        MagicPoint at{};
        Magic_GetEmitterPosition(effect->emitter->emitter, &at);
        auto* entry = new TDFrameEntry;
        entry->mEmitter = effect->emitter;
        entry->mDepth = at.y;
        entry->mTransform.Translate(at.x, at.y);
        mDrawList.push_back(entry);
    }

    if (mPathPicture && mActiveShown) {
        auto* highlight = new TDFrameEntry;
        // The picture is shared with the level, never released by the copy.
        highlight->mImage = ImageHandle(mPathPicture, [](render::Image*) {});
        highlight->mTransform.Translate(512.0f, 384.0f - mVisibleRect[1]);
        highlight->mAdditive = true;
        const float pulse = 0.2f + 0.2f * 0.5f * (1.0f + std::sin(5.0f * mGameTime));
        highlight->mColor = math::Point4{0.804f, 0.75f, 0.171f, pulse};
        mDrawList.push_back(highlight);
    }

    Append(mDrawList, mTopLayers);
    // Hints are drawn centred on their rectangle, where their hit test finds them.
    if (mWaveHint)
        for (const TDFrameEntry* hint : mWaveHint->entries)
            mDrawList.push_back(PlacedCopy(*hint));
}

void TDMap::drawDrawList(render::Graphics* g)
{
    render::ShaderTextured* plain = g->multShader;
    for (TDFrameEntry* entry : mDrawList) {
        if (entry->mEmitter) {
            g->DrawParticles(entry->mEmitter);
            g->SetBlendMode(1);
            continue;
        }
        if (!entry->mImage)
            continue;
        g->SetColor(entry->mColor.x, entry->mColor.y, entry->mColor.z, entry->mColor.w);
        if (entry->mShader) {
            g->texturedShader = entry->mShader;
            entry->mShader->SetColor2(entry->mColor2);
        } else if (g->texturedShader != plain) {
            g->texturedShader = plain;
        }
        if (entry->mAdditive)
            g->SetBlendMode(2);
        DrawCentredImage(g, entry->mImage.get(), entry->mTransform, entry->mMirrored);
        if (entry->mAdditive)
            g->SetBlendMode(1);
    }
    g->texturedShader = plain;
}

void TDMap::clearDrawList()
{
    for (TDFrameEntry* entry : mDrawList)
        delete entry;
    for (std::vector<TDFrameEntry*>* list :
         {&mGroundLayers, &mOverLayers, &mTopLayers, &mLevelObjects, &mHashLayers, &mGroundShadows, &mGroundUnits,
          &mUpperShadows, &mUpperUnits, &mTowerSprites, &mDrawList})
        list->clear();
}

void TDMap::draw(render::Graphics* g)
{
    if (!mRunning || !g)
        return;
    if (mPathPicture && mPathPictureDirty)
        paintPathPicture();

    math::Transform3D* saved = g->GetTransform();
    math::Transform3D view = ViewTransform(mViewScale, mViewOffset);

    if (IsWorldScreen(mScreen)) {
        g->SetBlendMode(1);
        collectDrawList(g);

        g->SetTransform(&view);
        drawDrawList(g);
        g->SetTransform(saved);

        if (mWaves)
            for (TDMob* mob : mWaves->mobs)
                mob->drawInfo(g, *this);
        g->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        for (TDTower* tower : mTowers)
            tower->drawMarks(g);

        if (mSelectedMob && mEnemySpot) {
            float lift = 0.0f;
            const UnitPrototype* prototype = mPrototypes ? mSelectedMob->getPrototype(*mPrototypes) : nullptr;
            if (prototype && prototype->sprite && !prototype->sprite->frames("").empty())
                lift = prototype->sprite->frames("").front()->mY;
            g->SetTransform(&view);
            mEnemySpot->draw(g, mSelectedMob->mX, mSelectedMob->mY - lift, 0.0f);
            g->SetTransform(saved);
        }

        if (mWaveHint && mWaves && !mWaveHint->entries.empty()) {
            const std::wstring text = waveCountdownText();
            FontHandle font = GameFont(L"td/data/fonts/main_42_3");
            if (font.Get())
                g->SetFont(font);
            g->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            for (const TDFrameEntry* hint : mWaveHint->entries) {
                const float x = (hint->mX + hint->mWidth * 0.5f) * mViewScale + mViewOffset[0];
                const float y = hint->mY * mViewScale + mViewOffset[1];
                auto request = g->DrawText(text);
                request.SetAlign(2, 1);
                request.Translate(x, y);
            }
        }

        if (mShowRanges && mInterface && mInterface->radius && mInterface->radius->mImage) {
            render::Image* disc = mInterface->radius->mImage.get();
            for (const TDModifier* area : mAreaModifiers) {
                const float alpha = area->mKind == 101 && area->mDuration > 0.0f
                                        ? 1.0f - area->mElapsed / area->mDuration
                                        : 0.5f;
                g->SetColor(1.0f, 0.0f, 0.0f, alpha);
                math::Transform2D t;
                t.Scale(area->mRadius / kRadiusImageSize, area->mRadius / kRadiusImageSize);
                t.Translate(area->mX, area->mY);
                DrawCentredImage(g, disc, t, false);
            }
            g->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            FontHandle font = GameFont(L"td/data/fonts/main_32_2");
            if (font.Get())
                g->SetFont(font);
            for (const TDTower* tower : mTowers) {
                const UnitPrototype* tier = tower->currentPrototype();
                const float r = tier ? tier->r : 0.0f;
                math::Transform2D t;
                t.Scale(r / kRadiusImageSize, r / kRadiusImageSize);
                t.Translate(tower->x, tower->y);
                DrawCentredImage(g, disc, t, false);
                const std::wstring label = std::to_wstring(tower->tierSteps);
                auto request = g->DrawText(label);
                request.SetAlign(2, 3);
                request.Translate(tower->x, tower->y);
            }
        }
        clearDrawList();
        g->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        g->SetTransform(&view);
        if (mBullets)
            mBullets->draw(g);
        g->SetTransform(saved);
    }

    // Overlays, on every screen while the level runs.
    g->SetTransform(&view);
    if (mFloatingLabels)
        mFloatingLabels->draw(g);
    DrawSprites(mFloatingSprites, g);
    for (TDTowerSpecial* special : mSpecials)
        special->draw(g);
    for (TDParticle* particle : mParticles)
        particle->draw(g);
    g->SetBlendMode(1);
    for (const ParticleEffect* effect : mHudEffects)
        if (effect->emitter)
            g->DrawParticles(effect->emitter);
    g->SetTransform(saved);

    if (mContextMenu) {
        if (!mContextMenu->alive) {
            delete mContextMenu;
            mContextMenu = nullptr;
        } else {
            g->SetTransform(&view);
            mContextMenu->draw(g);
            g->SetTransform(saved);
        }
    }

    if (mHud) {
        mHud->draw(g);
        mHud->drawLayer(g, 0);
    }

    g->SetTransform(&view);
    for (render::ParticleEmitter* emitter : mEmitters)
        g->DrawParticles(emitter);
    g->SetTransform(saved);

    if (mActiveShown && mActiveEmitter)
        g->DrawParticles(mActiveEmitter);
    if (IsWorldScreen(mScreen) && mActiveButtonEmitter)
        g->DrawParticles(mActiveButtonEmitter);

    if (mHud)
        mHud->drawLayer(g, 1);

    if (mShowWaveTimeline == 1)
        drawWaveTimeline(g, mWaves);
}

std::wstring TDMap::waveCountdownText() const
{
    const float left = mWaveHint && mWaves ? mWaveHint->dueTime - mWaves->clock : 0.0f;
    // Truncated toward zero: the last second reads "incoming".
    const int seconds = static_cast<int>(left);
    if (seconds == 0)
        return LocalStrings::Instance()->get(L"game_incoming");
    return LocalStrings::Instance()->get(L"game_nextwave") + L" " + std::to_wstring(seconds);
}

float TDMap::linkLength(const TDLink& link) const
{
    const std::optional<QuadraticCurve> curve = LinkCurve(mPoints, link);
    if (!curve)
        return 0.0f;
    // Eleven samples, t = 0 to 1 in tenths: the whole link, its last tenth included.
    float length = 0.0f;
    CurvePoint previous = curve->p0;
    for (int i = 1; i <= 10; ++i) {
        const CurvePoint next = curve->point(static_cast<float>(i) / 10.0f);
        const float dx = next.x - previous.x;
        const float dy = next.y - previous.y;
        length += std::sqrt(dx * dx + dy * dy);
        previous = next;
    }
    return length;
}

void TDMap::stampLink(render::Graphics* g, const TDLink& link, render::Image* brush)
{
    const std::optional<QuadraticCurve> found = LinkCurve(mPoints, link);
    if (!g || !brush || !found)
        return;
    const QuadraticCurve& curve = *found;
    for (float t = 0.0f; t < 1.0f;) {
        const CurvePoint at = curve.point(t);
        auto request = g->DrawImage(brush);
        request.SetAlign(2, 2);
        request.Translate(at.x, at.y);
        const float next = NextCurveParameter(curve, t, 25.0f, 0.0f);
        // A curve that no longer moves ends the stamping.
        if (!(next > t))
            break;
        t = next;
    }
}

void TDMap::paintPathPicture()
{
    delete mPathPicture;
    mPathPicture = nullptr;
    mPathPictureDirty = false;
    framework::GameApplication* application = framework::GetGameApplication();
    render::RenderDX9* renderer = application ? application->render.get() : nullptr;
    if (!renderer)
        return;
    const framework::FloatRect& visible = application->visibleRect;
    mVisibleRect[0] = visible.x;
    mVisibleRect[1] = visible.y;
    mVisibleRect[2] = visible.width;
    mVisibleRect[3] = visible.height;
    render::RenderTarget* target = nullptr;
    if (renderer->CreateRenderTarget(static_cast<int>(visible.width), static_cast<int>(visible.height), &target, 1) !=
            GE_OK ||
        !target) {
        GE_LOG(L"The path picture (%d x %d) could not be made.\n")
            << static_cast<int>(visible.width) << static_cast<int>(visible.height);
        return;
    }
    mPathPicture = target;
    render::Image* brush = mInterface && mInterface->brush ? mInterface->brush->mImage.get() : nullptr;
    // The context begins a scene when none is running and replays it when it goes.
    render::Graphics g(target, render::GraphicsShaders{renderer->GetGeomShader(), renderer->GetMultShader(),
                                                       renderer->GetTintShader()});
    const float transparent[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    g.Clear(transparent, 0.0f);
    math::Transform3D shift;
    shift.Translate(-visible.x, 0.0f, 0.0f);
    g.SetTransform(&shift);
    stampAllLinks(&g, brush);
    g.SetTransform(nullptr);
}

void TDMap::stampAllLinks(render::Graphics* g, render::Image* brush)
{
    for (const TDLink* link : mLinks)
        stampLink(g, *link, brush);
}

void TDMap::drawCircle(render::Graphics* g, float x, float y, float radius)
{
    if (!g)
        return;
    for (int i = 0; i < 36; ++i) {
        const float a0 = static_cast<float>(10 * i) * kDegrees;
        const float a1 = static_cast<float>(10 * (i + 1)) * kDegrees;
        const float p0[2] = {x + std::cos(a0) * radius, y + std::sin(a0) * radius};
        const float p1[2] = {x + std::cos(a1) * radius, y + std::sin(a1) * radius};
        g->DrawLine(p0, p1);
    }
}

void TDMap::drawWaveTimeline(render::Graphics* g, TDWaves* waves)
{
    if (!g || !waves)
        return;
    for (size_t index = 0; index < waves->protos.size(); ++index) {
        const TDWaveProto* wave = waves->protos[index];
        std::wstring line;
        for (const TDWaveEnemy* entry : wave->entries) {
            const float due = waves->timeout * static_cast<float>(index) + static_cast<float>(wave->timeout) +
                              entry->x / 45.0f - waves->clock + 0.5f;
            line += std::to_wstring(entry->state) + L"(" + std::to_wstring(static_cast<int>(due)) + L"), ";
        }
        auto request = g->DrawText(line);
        request.Translate(0.0f, 20.0f * static_cast<float>(index));
    }
}
