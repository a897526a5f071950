#include "Source/TD/Screens/HUDTabBar.h"

#include "Core/File/ImageContainer.h"
#include "Core/Base/ImageInfo.h"
#include "Core/Render/Math/Point4.h"
#include "Core/Render/Image.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Shell/LocalStrings.h"

#include <algorithm>
#include <cmath>

namespace {

layer::TextLayer::FontHandle TabFont()
{
    return layer::TextLayer::ShareFont(GameFont(L"td/data/fonts/main_42_3"));
}

} // namespace

HUDTabButton::HUDTabButton(file::ImageContainer* document, const std::wstring& key)
{
    root = new layer::Layer;
    body = new layer::Layer;
    activeImage = new layer::ImageLayer;
    inactiveImage = new layer::ImageLayer;
    const math::Point3 origin{0.0f, 0.0f, 0.0f};
    if (document) {
        SetImageLayerFromDocument(activeImage, document, origin, L"tabs/up_button_ac");
        SetImageLayerFromDocument(inactiveImage, document, origin, L"tabs/up_button_in");
    }
    activeImage->SetPosition(0.0f, 0.0f, 0.0f);
    inactiveImage->SetPosition(0.0f, 0.0f, 0.0f);
    const int w = static_cast<int>(ImageWidth(inactiveImage)), h = static_cast<int>(ImageHeight(inactiveImage));
    body->SetPosition(static_cast<float>(-(w / 2)), static_cast<float>(-h), 0.0f);
    label = new layer::TextLayer(layer::TextLayer::ShareFont(GameFont(L"td/data/fonts/main_42_2")),
                                 LocalStrings::Instance()->get(key), 0.0f, 1, true, 211.0f);
    label->SetAlign(2, 2);
    label->SetPosition(ImageWidth(activeImage) * 0.5f, ImageHeight(activeImage) * 0.5f + 6.0f, 0.0f);
    label->SnapToPixels();
    body->AddChild(inactiveImage);
    body->AddChild(activeImage);
    body->AddChild(label);
    root->AddChild(body);
}

HUDTabButton::~HUDTabButton()
{
    DeleteLayer(label);
    DeleteLayer(activeImage);
    DeleteLayer(inactiveImage);
    DeleteLayer(body);
    DeleteLayer(root);
}

void HUDTabButton::select()
{
    label->SetFont(TabFont());
    selected = 1;
    scale = 1.1f;
    inactiveImage->visible = false;
    activeImage->visible = true;
}

void HUDTabButton::deselect()
{
    label->SetFont(TabFont());
    hovered = 0;
    selected = 0;
    inactiveImage->visible = true;
    activeImage->visible = false;
}

bool HUDTabButton::contains(int x, int y) const
{
    const int half = static_cast<int>(ImageWidth(activeImage)) / 2;
    const int h = static_cast<int>(ImageHeight(activeImage));
    const float rx = root->position.x, ry = root->position.y;
    return rx - half < x && x < rx + half && ry - h < y && y < ry;
}

void HUDTabButton::update(float dt)
{
    if (!selected) {
        activeImage->visible = hovered != 0;
        inactiveImage->visible = hovered == 0;
        scale = hovered ? std::min(1.1f, scale + dt * 0.5f) : std::max(1.0f, scale - dt);
    }
    if (std::fabs(root->scale.x - scale) > 0.0002f || std::fabs(root->scale.y - scale) > 0.0002f)
        root->SetScale(scale, scale, 1.0f);
}

HUDTabBar::HUDTabBar(file::ImageContainer* document, const std::vector<std::wstring>& keys,
                     const std::vector<bool>& available)
{
    root = new layer::Layer;
    const base::ImageInfo* row = document ? document->FindLayer(L"tabs/up_button_ac") : nullptr;
    const float y = row ? static_cast<float>(row->y + row->height) : 0.0f;
    int x = kFirstX;
    for (size_t i = 0; i < keys.size(); ++i) {
        auto* tab = new HUDTabButton(document, keys[i]);
        tab->root->SetPosition(static_cast<float>(x), y, 0.0f);
        tab->available = i < available.size() && available[i] ? 1 : 0;
        root->AddChild(tab->root);
        tabs.push_back(tab);
        // An unavailable tab takes no room: the next one stands on it.
        if (tab->available)
            x += kStep;
    }
    selectTab(0);
}

HUDTabBar::~HUDTabBar()
{
    clear();
    delete root;
}

void HUDTabBar::clear()
{
    for (HUDTabButton* tab : tabs)
        delete tab;
    tabs.clear();
}

void HUDTabBar::selectTab(int index)
{
    if (index < 0 || index >= static_cast<int>(tabs.size()))
        return;
    // Drawn last, in front of its neighbours.
    root->RemoveChild(tabs[static_cast<size_t>(index)]->root);
    root->AddChild(tabs[static_cast<size_t>(index)]->root);
    for (size_t i = 0; i < tabs.size(); ++i)
        if (static_cast<int>(i) == index)
            tabs[i]->select();
        else
            tabs[i]->deselect();
}

int HUDTabBar::click(int x, int y)
{
    for (size_t i = 0; i < tabs.size(); ++i)
        if (tabs[i]->available && tabs[i]->contains(x, y)) {
            selectTab(static_cast<int>(i));
            return static_cast<int>(i);
        }
    return -1;
}

void HUDTabBar::onMouseMove(int x, int y)
{
    for (HUDTabButton* tab : tabs)
        if (!tab->selected)
            tab->hovered = tab->available && tab->contains(x, y) ? 1 : 0;
}
