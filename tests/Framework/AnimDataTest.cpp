// Animation data: objects, envelopes and the mesh libraries they share, damaged files,
// and the layer animation that writes an object's envelopes into a layer.
#include "Framework/Animation/AnimData.h"
#include "Framework/Animation/LayerAnim.h"
#include "Framework/Layer/Layer.h"
#include "tests/Framework/AnimTestSupport.h"
#include <cmath>
#include <gtest/gtest.h>

using animation::AnimData;
using animtest::AnimFolderTest;
using animtest::Key;

namespace {

class AnimDataTest : public AnimFolderTest {
protected:
    resource::ResourceHandle<AnimData> Load(const std::wstring& path, GEResultEnum expected = GE_OK)
    {
        return LoadOnRender<AnimData>(path, expected);
    }

    void PutQuads()
    {
        animwrite::MeshLibraryFile file;
        animtest::AddQuad(file, "panel", "panel", 0, 0, 10);
        animtest::AddQuad(file, "shine", "shine", 0, 0, 4);
        Put("fx/quads.lib", animtest::Text(animwrite::WriteMeshLibrary(file)));
        PutTexture("fx/images/panel.dds");
        PutTexture("fx/images/shine.dds");
    }

    static animwrite::Animation Scene()
    {
        animwrite::Animation scene;
        scene.scene = "dialog_show";
        scene.start = 0.25f;
        scene.end = 1.5f;
        scene.objects.push_back(animtest::Object("screen", "screen_res", "whole"));
        scene.objects.push_back(animtest::Object("panel", "quads", "panel"));
        animwrite::Object shine = animtest::Object("shine", "quads", "shine");
        shine.parent = 2;
        shine.flagA = 1;
        shine.flagB = 2; // only exactly 1 counts as set
        shine.hasColour = true;
        shine.colour[0].keys = {Key(0.5f, 0)};
        shine.motion[0].keys = {Key(0, 0, 0), Key(100, 1, 0)};
        shine.motion[0].pre = 0;
        shine.motion[0].post = 2;
        scene.objects.push_back(shine);
        scene.objects.push_back(animtest::Object("marker", "quads", "null"));
        return scene;
    }
};

} // namespace

TEST_F(AnimDataTest, LoadsObjectsAndSharesTheirLibrary)
{
    PutQuads();
    Put("fx/show.anim", animtest::Text(animwrite::WriteAnimation(Scene())));
    const int created = test::MemoryTexture::createCalls;
    {
        auto anim = Load(L"fx/show.anim");
        EXPECT_EQ(anim->sceneName, "dialog_show");
        EXPECT_EQ(anim->startTime, 0.25f);
        EXPECT_EQ(anim->endTime, 1.5f);
        ASSERT_EQ(anim->objects.size(), 4u);

        // The screen object animates without a mesh; so does one whose mesh is "null".
        const animation::AnimObject& screen = *anim->objects[0];
        EXPECT_EQ(screen.libraryName, "screen_res");
        EXPECT_EQ(screen.mesh, nullptr);
        EXPECT_EQ(anim->objects[3]->mesh, nullptr);

        // Two objects of one library: loaded once, textures made once.
        ASSERT_EQ(anim->meshLibraries.size(), 1u);
        const auto& library = anim->meshLibraries.at("quads");
        EXPECT_EQ(library->name, L"fx/quads.lib");
        EXPECT_TRUE(library->IsLoaded());
        EXPECT_EQ(test::MemoryTexture::createCalls - created, 2);
        EXPECT_EQ(anim->objects[1]->mesh, library->FindMesh("panel"));
        EXPECT_EQ(anim->objects[2]->mesh, library->FindMesh("shine"));
        EXPECT_NE(anim->objects[2]->mesh, nullptr);

        const animation::AnimObject& shine = *anim->objects[2];
        EXPECT_EQ(shine.owner, anim.Get());
        EXPECT_TRUE(shine.hasParent);
        EXPECT_EQ(shine.parentIndex, 1u);
        EXPECT_TRUE(shine.flagA);
        EXPECT_FALSE(shine.flagB);
        ASSERT_TRUE(shine.colour);
        EXPECT_EQ((*shine.colour)[0].keys.size(), 1u);
        EXPECT_FALSE(anim->objects[1]->colour);
        const animation::Envelope& x = shine.motion[animation::kPositionX];
        EXPECT_EQ(x.preBehaviour, 0u);
        EXPECT_EQ(x.postBehaviour, 2u);
        ASSERT_EQ(x.keys.size(), 2u);
        EXPECT_EQ(x.keys[1].value, 100.0f);
        EXPECT_EQ(x.keys[1].time, 1.0f);
        EXPECT_FALSE(screen.hasParent);
    }
    // The last handle unloads the animation and with it the library and its textures.
    EXPECT_TRUE(resource::ResourceManager::GetMap<lightwave::MeshLibrary>().empty());
    EXPECT_TRUE(resource::ResourceManager::GetMap<AnimData>().empty());
    EXPECT_EQ(Cached(), 0u);
}

TEST_F(AnimDataTest, UnresolvedMeshesFail)
{
    PutQuads();
    animwrite::Animation scene = Scene();
    scene.objects[1].mesh = "missing";
    Put("fx/nomesh.anim", animtest::Text(animwrite::WriteAnimation(scene)));
    scene = Scene();
    scene.objects[1].library = "elsewhere";
    Put("fx/nolib.anim", animtest::Text(animwrite::WriteAnimation(scene)));

    LogCapture log;
    auto noMesh = Load(L"fx/nomesh.anim", GE_FAIL);
    EXPECT_EQ(log.Count(L"'missing'"), 1);
    auto noLibrary = Load(L"fx/nolib.anim", GE_FAIL);
    EXPECT_GE(log.Count(L"fx/elsewhere.lib"), 1);
    Load(L"fx/none.anim", GE_FAIL);
    EXPECT_EQ(log.Count(L"fx/none.anim"), 1);
}

TEST(AnimDataParse, EveryCutShortFileFails)
{
    animwrite::Animation scene;
    scene.scene = "s";
    scene.objects.push_back(animtest::Object("a"));
    animwrite::Object coloured = animtest::Object("b", "lib", "mesh");
    coloured.hasColour = true;
    coloured.colour[3].keys = {Key(1, 0)};
    scene.objects.push_back(coloured);
    const std::vector<u8> bytes = animwrite::WriteAnimation(scene);

    AnimData anim;
    anim.name = L"cut.anim";
    ASSERT_EQ(anim.Parse(bytes.data(), bytes.size()), GE_OK);
    for (size_t size = 0; size < bytes.size(); ++size) {
        LogCapture log;
        EXPECT_EQ(anim.Parse(bytes.data(), size), GE_FAIL) << size;
        EXPECT_EQ(log.Count(L"cut.anim"), 1) << size;
        EXPECT_LE(anim.objects.size(), 1u) << size; // the whole first object stays
    }
}

TEST(AnimDataParse, CountsAreCheckedAgainstTheData)
{
    animwrite::Animation scene;
    scene.objects.push_back(animtest::Object("a"));
    const std::vector<u8> good = animwrite::WriteAnimation(scene);
    // Header: scene name (4 + 0), start, end, count; then the object's three names.
    const size_t objectCount = 12;
    const size_t parent = 16 + 4 + 1 + 4 + 4 + 4 + 4;
    const size_t firstKeyCount = parent + 16;

    struct Damage {
        const char* what;
        size_t at;
        u32 value;
    };
    const Damage cases[] = {
        {"object count beyond the file", objectCount, 0x10000000u},
        {"parent beyond the objects", parent, 2},
        {"key count beyond the file", firstKeyCount, 0x0FFFFFFFu},
        {"key count one too many", firstKeyCount, 1},
    };
    for (const Damage& damage : cases) {
        std::vector<u8> bytes = good;
        imgtest::PutLe32(bytes, damage.at, damage.value);
        AnimData anim;
        anim.name = L"damaged.anim";
        LogCapture log;
        EXPECT_EQ(anim.Parse(bytes.data(), bytes.size()), GE_FAIL) << damage.what;
        EXPECT_EQ(log.Count(L"damaged.anim"), 1) << damage.what;
    }
}

namespace {

animation::AnimObject StillObject()
{
    animation::AnimObject object;
    for (u32 axis = animation::kScaleX; axis <= animation::kScaleZ; ++axis)
        object.motion[size_t(axis)].keys = {animation::EnvelopeKey{1.0f, 0.0f, animation::kShapeLinear}};
    return object;
}

void Constant(animation::Envelope& envelope, float value)
{
    envelope.keys = {animation::EnvelopeKey{value, 0.0f, animation::kShapeLinear}};
}

} // namespace

TEST(LayerAnim, WritesTransformOpacityAndColour)
{
    animation::AnimObject object = StillObject();
    object.motion[animation::kPositionX].keys = {{0.0f, 0.0f, animation::kShapeLinear},
                                                 {100.0f, 1.0f, animation::kShapeLinear}};
    Constant(object.motion[animation::kPositionY], -5.0f);
    Constant(object.motion[animation::kRotationZ], 0.5f);
    Constant(object.motion[animation::kScaleY], 2.0f);
    object.motion[animation::kScaleZ].keys.clear(); // no keys: scale 0
    Constant(object.motion[animation::kDissolve], 0.25f);

    layer::Layer target;
    target.color.w = 0.75f;
    animation::LayerAnim anim(&target, &object);
    EXPECT_EQ(anim.Apply(0.5f), 0u);
    EXPECT_EQ(target.position.x, 50.0f);
    EXPECT_EQ(target.position.y, -5.0f);
    EXPECT_EQ(target.rotation.z, 0.5f);
    EXPECT_EQ(target.scale.x, 1.0f);
    EXPECT_EQ(target.scale.y, 2.0f);
    EXPECT_EQ(target.scale.z, 0.0f);
    EXPECT_EQ(target.opacity, 0.75f);
    EXPECT_TRUE(target.transformChanged);
    EXPECT_FALSE(target.subtreeBoundsValid);
    // Without colour envelopes the colour is not touched.
    EXPECT_EQ(target.color.x, 1.0f);
    EXPECT_EQ(target.tintAmount, 0.0f);

    // Dissolve and colour are clamped to [0, 1] first; the colour's alpha stays.
    const struct {
        float dissolve, opacity, colour, clamped;
    } clamps[] = {{1.5f, 0.0f, 1.5f, 1.0f}, {-0.5f, 1.0f, -2.0f, 0.0f}, {NAN, 1.0f, NAN, 0.0f}};
    object.colour = std::make_unique<std::array<animation::Envelope, animation::kColourChannelCount>>();
    object.hasColour = true;
    for (const auto& c : clamps) {
        Constant(object.motion[animation::kDissolve], c.dissolve);
        for (auto& envelope : *object.colour)
            Constant(envelope, c.colour);
        anim.Apply(0.0f);
        EXPECT_EQ(target.opacity, c.opacity) << c.dissolve;
        EXPECT_EQ(target.color.x, c.clamped) << c.colour;
        EXPECT_EQ(target.color.y, c.clamped) << c.colour;
        EXPECT_EQ(target.color.z, c.clamped) << c.colour;
        EXPECT_EQ(target.tintAmount, c.clamped) << c.colour;
        EXPECT_EQ(target.color.w, 0.75f);
        EXPECT_FALSE(target.tint);
    }
}

TEST(LayerAnim, UnchangedValuesLeaveTheLayerAlone)
{
    animation::AnimObject object = StillObject();
    Constant(object.motion[animation::kPositionX], 10.0f);
    layer::Layer target;
    target.SetX(10.0f);
    target.transformChanged = false;
    target.subtreeBoundsValid = true;

    animation::LayerAnim anim(&target, &object);
    anim.Apply(3.0f);
    EXPECT_FALSE(target.transformChanged);
    EXPECT_TRUE(target.subtreeBoundsValid);

    // A NaN never equals the field, so it is written.
    object.motion[animation::kPositionY].keys = {{NAN, 0.0f, animation::kShapeLinear}};
    anim.Apply(3.0f);
    EXPECT_TRUE(std::isnan(target.position.y));
    EXPECT_TRUE(target.transformChanged);
}
