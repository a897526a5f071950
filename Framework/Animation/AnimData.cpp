#include "Framework/Animation/AnimData.h"
#include "Core/Base/ByteReader.h"
#include "Core/Base/Log.h"
#include "Core/File/Path.h"
#include "Core/Resource/ResourceManager.h"
#include "Framework/Lightwave/LightwaveFile.h"
#include <cmath>

namespace animation {

namespace {

// Count, pre- and post-behaviour.
constexpr u64 kEnvelopeHeader = 3 * 4;
constexpr u64 kKeyRecord = sizeof(EnvelopeKey);
// Three empty strings, the four u32 fields and ten envelopes without keys.
constexpr u64 kSmallestObject = 3 * 4 + 4 * 4 + kMotionChannelCount * kEnvelopeHeader;

bool ReadEnvelope(base::ByteReader& in, Envelope& out)
{
    u32 count = 0;
    if (!in.ReadU32(&count) || !in.ReadU32(&out.preBehaviour) || !in.ReadU32(&out.postBehaviour))
        return false;
    if (!in.Fits(count, kKeyRecord))
        return false;
    out.keys.resize(count);
    for (EnvelopeKey& key : out.keys) {
        in.ReadF32(&key.value);
        in.ReadF32(&key.time);
        in.ReadU32(&key.shape);
        in.ReadF32(&key.p1);
        in.ReadF32(&key.p2);
        in.ReadF32(&key.p3);
        in.ReadF32(&key.p4);
        in.ReadF32(&key.p5);
        in.ReadF32(&key.p6);
    }
    return true;
}

} // namespace

AnimData::AnimData() = default;

AnimData::~AnimData() = default;

u32 AnimData::Release()
{
    return resource::ResourceManager::Free<AnimData>(this);
}

void AnimData::Clear()
{
    // Objects point into the libraries: they go first.
    objects.clear();
    meshLibraries.clear();
    sceneName.clear();
    startTime = 0.0f;
    endTime = 0.0f;
}

GEResultEnum AnimData::Fail(const wchar_t* why)
{
    GE_LOG(L"Animation '%s': %s.\n") << name << why;
    return GE_FAIL;
}

GEResultEnum AnimData::DoLoad()
{
    Clear();
    std::vector<u8> bytes;
    if (const wchar_t* why = lightwave::ReadWholeFile(name, bytes))
        return Fail(why);
    if (const GEResultEnum result = Parse(bytes.data(), bytes.size()))
        return result;
    return ResolveMeshes(file::GetFolderWithoutDrive(name));
}

GEResultEnum AnimData::DoUnLoad()
{
    Clear();
    return GE_OK;
}

GEResultEnum AnimData::Parse(const u8* data, size_t size)
{
    Clear();
    base::ByteReader in(data, size);
    u32 objectCount = 0;
    if (!in.ReadString(&sceneName) || !in.ReadF32(&startTime) || !in.ReadF32(&endTime) ||
        !in.ReadU32(&objectCount))
        return Fail(L"the header is cut short");
    // A time that is not a number would never be reached by a player.
    if (!std::isfinite(startTime) || !std::isfinite(endTime))
        return Fail(L"its start or end time is not a finite number");
    if (!in.Fits(objectCount, kSmallestObject))
        return Fail(L"the file holds fewer objects than its count");

    for (u32 i = 0; i < objectCount; ++i) {
        auto object = std::make_unique<AnimObject>();
        object->owner = this;
        if (!in.ReadString(&object->name) || !in.ReadString(&object->libraryName) ||
            !in.ReadString(&object->meshName))
            return Fail(L"an object's names are cut short");
        u32 parent = 0, flagA = 0, flagB = 0, hasColour = 0;
        if (!in.ReadU32(&parent) || !in.ReadU32(&flagA) || !in.ReadU32(&flagB) || !in.ReadU32(&hasColour))
            return Fail(L"an object's fields are cut short");
        if (parent > objectCount)
            return Fail(L"an object's parent is not in the file");
        object->hasParent = parent != 0;
        object->parentIndex = parent != 0 ? parent - 1 : 0;
        object->flagA = flagA == 1;
        object->flagB = flagB == 1;
        object->hasColour = hasColour == 1;
        if (object->hasColour) {
            object->colour = std::make_unique<std::array<Envelope, kColourChannelCount>>();
            for (Envelope& envelope : *object->colour) {
                if (!ReadEnvelope(in, envelope))
                    return Fail(L"a colour envelope is cut short");
            }
        }
        for (Envelope& envelope : object->motion) {
            if (!ReadEnvelope(in, envelope))
                return Fail(L"a motion envelope is cut short");
        }
        objects.push_back(std::move(object));
    }
    return GE_OK;
}

GEResultEnum AnimData::ResolveMeshes(const std::wstring& folder)
{
    for (const std::unique_ptr<AnimObject>& object : objects) {
        if (object->libraryName == "null" || object->libraryName == "screen_res" ||
            object->meshName == "null")
            continue;
        auto found = meshLibraries.find(object->libraryName);
        if (found == meshLibraries.end()) {
            resource::ResourceHandle<lightwave::MeshLibrary> library =
                resource::ResourceManager::Get<lightwave::MeshLibrary>(
                    folder + lightwave::WidenBytes(object->libraryName) + L".lib");
            if (!library)
                return Fail(L"a mesh library could not be made");
            found = meshLibraries.emplace(object->libraryName, std::move(library)).first;
            if (!found->second->IsLoaded()) {
                found->second->renderer = renderer;
                if (const GEResultEnum result = found->second->Load()) {
                    GE_LOG(L"Animation '%s': mesh library '%s' could not be loaded.\n")
                        << name << found->second->name;
                    return result;
                }
            }
        }
        object->mesh = found->second->FindMesh(object->meshName);
        if (!object->mesh) {
            GE_LOG(L"Animation '%s': mesh '%s' is not in library '%s'.\n")
                << name << lightwave::WidenBytes(object->meshName) << found->second->name;
            return GE_FAIL;
        }
    }
    return GE_OK;
}

} // namespace animation
