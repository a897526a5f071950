#pragma once
// The root board shown instead of the game with "--pack": it rebuilds every mounted
// pack archive from the loose folder it stands for, then stays on screen, empty.
#include "Framework/Widget/BaseBoard.h"
#include <map>
#include <string>

namespace gui {

class PackScreen : public widget::BaseBoard {
public:
    // `folder` is the argument that followed "--pack". Written as "PREFIX=ARCHIVE"
    // (for example "td/=data.dat") it names one more folder to pack, so that a first
    // archive can be made before the game mounts it; any other text is kept unused.
    explicit PackScreen(const std::wstring& folder);
    ~PackScreen() override;

    // Packs every mount of the file manager, in the mount table's key order (and the
    // folder named by the argument); the first failure is returned at once.
    GEResultEnum Init() override;

    // The prefix -> archive pairs that Init packs.
    std::map<std::wstring, std::wstring> PackList() const;

    // Rebuilds `archivePath` from the loose files under `prefix`. The new archive is
    // written beside the old one and replaces it only once it is complete, so a failure
    // leaves the old archive as it was. 0 success, 1 failure (logged).
    static u32 PackMount(const std::wstring& prefix, const std::wstring& archivePath);

    std::wstring folder;
};

} // namespace gui
