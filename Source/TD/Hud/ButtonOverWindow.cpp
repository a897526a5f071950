#include "Source/TD/Hud/ButtonOverWindow.h"

#include "Core/File/ImageContainer.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Shell/LocalStrings.h"

#include <algorithm>

ButtonOverWindow::~ButtonOverWindow()
{
    while (!overButtons.empty()) {
        HUDButtonOver* button = overButtons.front();
        overButtons.erase(overButtons.begin());
        delete button;
    }
}

void ButtonOverWindow::draw(render::Graphics* graphics)
{
    HUDWindow::draw(graphics);
    for (HUDButtonOver* button : overButtons)
        button->draw(graphics);
}

void ButtonOverWindow::update(float dt)
{
    HUDWindow::update(dt);
    for (HUDButtonOver* button : overButtons)
        button->update(dt);
}

void ButtonOverWindow::onMouseMove(int x, int y)
{
    for (HUDButtonOver* button : overButtons)
        button->onHover(x, y);
}

void ButtonOverWindow::moveFramesAndButtons(int x, int y)
{
    HUDWindow::onMouseMove(x, y);
    for (HUDButtonOver* button : overButtons)
        button->onHover(x, y);
}

void ButtonOverWindow::onMousePressed(int x, int y)
{
    for (HUDButtonOver* button : overButtons)
        button->onPress(x, y);
}

void ButtonOverWindow::onMouseReleased(int x, int y)
{
    for (HUDButtonOver* button : overButtons)
        button->onRelease(x, y);
}

std::wstring ButtonOverWindow::click(int x, int y)
{
    for (HUDButtonOver* button : overButtons)
        if (button->hitTest(x, y)) {
            k2::SoundTags::Instance()->play(L"simple");
            return button->name;
        }
    return std::wstring();
}

void ButtonOverWindow::addButtonsFromDocument(file::ImageContainer* document, const FontHandle& labelFont)
{
    if (!document)
        return;
    // Folders in the order the document lists their first layer.
    std::vector<std::wstring> layers;
    document->ListLayers(L"button/", true, layers, true);
    std::vector<std::wstring> folders;
    for (const std::wstring& layer : layers) {
        const size_t slash = layer.find(L'/');
        if (slash == std::wstring::npos)
            continue;
        std::wstring folder = layer.substr(0, slash);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    }
    for (const std::wstring& folder : folders) {
        auto* button = new HUDButtonOver(document, folder);
        button->label = LocalStrings::Instance()->get(folder);
        button->font = labelFont;
        overButtons.push_back(button);
    }
}
