#include "Source/TD/Screens/HUDUnlockMessage.h"

#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/World/TDMap.h"

#include <algorithm>

namespace {

std::wstring IconKey(int id)
{
    return L"icons/id" + std::to_wstring(id);
}

} // namespace

HUDUnlockMessage::HUDUnlockMessage(const std::vector<int>& ids)
{
    load(kDocument);
    document = OpenScreenDocument(kDocument, L"unlock message");
    std::vector<std::wstring> layers;
    if (document)
        document->ListLayers(L"icons/", true, layers, false);
    for (int id : ids) {
        const std::wstring key = IconKey(id);
        for (const std::wstring& layer : layers) {
            if (layer != key)
                continue;
            TDFrameEntry* frame = MakeFrameFromLayer(document.get(), layer);
            if (!frame)
                continue;
            frame->mVisible = false;
            images.push_back(frame);
            icons.push_back(frame);
            items.push_back(id);
        }
    }
    if (items.empty())
        GE_LOG(L"Unlock message: none of the %d items has an icon in '%s'; nothing is shown.\n")
            << static_cast<int>(ids.size()) << kDocument;
    sortImages();
    font = GameFont(L"td/data/fonts/main_32_2");
    setText(L"caption", LocalStrings::Instance()->get(L"unlock_caption"));
    setText(L"button", LocalStrings::Instance()->get(L"unlock_button"));
    current = 0;
    if (TDMap* level = CurrentLevel()) {
        level->mHud->fadeState = 0;
        level->mHud->fadeTime = 0.0f;
    }
    if (!items.empty())
        showItem(items.front());
}

HUDUnlockMessage::~HUDUnlockMessage() = default;

void HUDUnlockMessage::showItem(int id)
{
    const std::wstring key = IconKey(id);
    for (TDFrameEntry* icon : icons) {
        icon->mVisible = icon->mName == key;
        if (icon->mVisible)
            setText(L"message", LocalStrings::Instance()->get(L"unlock_" + std::to_wstring(id)));
    }
}

std::wstring HUDUnlockMessage::click(int x, int y)
{
    // Nothing to step through: the first click closes the message.
    if (items.empty())
        return L"ok";
    if (HUDWindow::click(x, y) != L"ok")
        return std::wstring();
    ++current;
    if (current >= items.size())
        return L"ok";
    showItem(items[current]);
    return std::wstring();
}

FontHandle HUDUnlockMessage::textFont(const std::wstring& name) const
{
    if (name == L"caption")
        return HUDWindow::textFont(name);
    return GameFont(name == L"button" ? L"td/data/fonts/main_42_2" : L"td/data/fonts/main_32_2");
}
