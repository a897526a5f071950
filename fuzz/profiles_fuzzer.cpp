// Feeds arbitrary bytes as "profiles.xml", then walks every profile with the progress
// accessor the way the screens do.
#include "Core/File/UserDataFileContainer.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Shell/Profiles.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    // Saves that the accessors make fail at once: nothing is written anywhere.
    file::UserDataFileContainer::Instance()->SetRoot(L"/nonexistent/");
    file::Profiles* profiles = file::Profiles::Instance();
    profiles->loadText(std::string(reinterpret_cast<const char*>(data), size));
    if (!profiles->current)
        __builtin_trap();
    for (const std::wstring& name : profiles->getProfileNames()) {
        profiles->selectProfile(name);
        PlayerProgress progress;
        const LevelResult r = progress.getLevelResult(0, 0);
        (void)r;
        progress.getEpisodeStars(-1);
        progress.getGems();
        progress.getUpgradeLevel(3);
        progress.getSoundVolume();
        progress.getFullScreen();
        progress.isSpotOwned(L"a", 0, 0);
        progress.getIntAttribute("+5Lives");
        progress.isTutorialAvailable();
    }
    profiles->printDocument();
    return 0;
}
