#include "Source/TD/Audio/ResourceSound.h"
#include "Core/Base/Log.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include "Core/Resource/ResourceManager.h"
#include <algorithm>
#include <memory>
#include <vector>

namespace resource {

const wchar_t* const ResourceSound::kExtensions[kExtensionCount] = {L"", L".ogg", L".wav"};

u32 ResourceSound::Release()
{
    return ResourceManager::Free<ResourceSound>(this);
}

GEResultEnum ResourceSound::DoLoad()
{
    std::unique_ptr<file::FileInfo> found(
        file::FileManager::Instance()->GetFileInfo(name, kExtensions, kExtensionCount));
    if (!found || !found->container) {
        GE_LOG(L"Sound '%s' not found.\n") << name;
        return GE_FAIL;
    }
    std::unique_ptr<base::Stream> stream(found->container->OpenRead(found->path));
    if (!stream) {
        GE_LOG(L"Sound '%s': '%s' could not be opened.\n") << name << found->path;
        return GE_FAIL;
    }
    std::vector<u8> bytes(stream->GetSize());
    if (!bytes.empty() && stream->Read(bytes.data(), static_cast<u32>(bytes.size())) != bytes.size()) {
        GE_LOG(L"Sound '%s': '%s' could not be read whole.\n") << name << found->path;
        return GE_FAIL;
    }
    // A sample that does not decode would play nothing: it counts as not loaded.
    sample = BASS_SampleLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 65535, 0);
    if (!sample) {
        GE_LOG(L"Sound '%s': '%s' could not be decoded (error %d).\n") << name << found->path
                                                                         << BASS_ErrorGetCode();
        return GE_FAIL;
    }
    // The decoder goes by the bytes: a file whose name says another kind still plays,
    // but is not what the content meant to ship.
    const auto endsWith = [&](const wchar_t* end) {
        const std::wstring tail = end;
        return found->path.size() >= tail.size() && found->path.compare(found->path.size() - tail.size(), tail.size(), tail) == 0;
    };
    const auto startsWith = [&](const char* magic) {
        return bytes.size() >= 4 && std::equal(magic, magic + 4, bytes.begin());
    };
    if ((endsWith(L".ogg") && !startsWith("OggS")) || (endsWith(L".wav") && !startsWith("RIFF")))
        GE_LOG(L"Sound '%s': '%s' holds another kind of sound than its name says; it plays as what it holds.\n")
            << name << found->path;
    return GE_OK;
}

GEResultEnum ResourceSound::DoUnLoad()
{
    BASS_SampleFree(sample);
    sample = 0;
    return GE_OK;
}

} // namespace resource
