#include "Source/TD/Hud/HUDIngameMenu.h"

#include "Core/File/ImageContainer.h"
#include "Source/TD/Shell/LocalStrings.h"

HUDIngameMenu::HUDIngameMenu()
{
    load(L"td/data/ingame");
    font = GameFont(L"td/data/fonts/main_80");
    setText(L"caption", LocalStrings::Instance()->get(L"ingame_caption"));
    sortImages();
}

void HUDIngameMenu::load(const std::wstring& path)
{
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(path, L"In-game menu");
    if (!document)
        return;
    std::vector<std::wstring> layers;
    document->ListLayers(L"", false, layers, true);
    for (const std::wstring& layer : layers)
        if (TDFrameEntry* image = frameOf<TDFrameEntry>(document.get(), layer, true)) {
            image->mName = layer;
            image->mVisible = layer != L"main_menu_ico";
            images.push_back(image);
        }
    addButtonsFromDocument(document.get(), GameFont(L"td/data/fonts/main_42_2"));
    layers.clear();
    document->ListLayers(L"text/", false, layers, false);
    for (const std::wstring& layer : layers)
        addTextAnchor(document.get(), layer);
    sortImages();
}

void HUDIngameMenu::draw(render::Graphics* graphics)
{
    ButtonOverWindow::draw(graphics);
    for (TDFrameEntry* image : images)
        if (image->mName == L"main_menu_ico")
            drawImageFrame(graphics, image);
}
