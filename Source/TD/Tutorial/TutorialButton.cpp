#include "Source/TD/Tutorial/TutorialButton.h"

#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Image.h"
#include "Framework/Layer/ImageLayer.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Tutorial/TDTutorial.h"

#include <cmath>

TutorialButton::TutorialButton(TDTutorial* tutorial, const TDFrameEntry* normal, const TDFrameEntry* over,
                               const std::wstring& label)
    : HUDLayerButton(normal, over, label), tutorial(tutorial)
{
}

TutorialButton* TutorialButton::create(TDTutorial* tutorial)
{
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(kDocument, L"tutorial skip button");
    std::unique_ptr<TDFrameEntry> over(document ? MakeFrameFromLayer(document.get(), L"button/b4_over") : nullptr);
    std::unique_ptr<TDFrameEntry> normal(document ? MakeFrameFromLayer(document.get(), L"button/b4_normal") : nullptr);
    if (!over || !normal) {
        GE_LOG(L"Tutorial skip button '%s' lacks 'button/b4_over' or 'button/b4_normal': no skip button.\n")
            << kDocument;
        return nullptr;
    }
    auto* button = new TutorialButton(tutorial, normal.get(), over.get(),
                                      LocalStrings::Instance()->get(L"tutorial_skip_label"));
    const float cx = over->centerX();
    const float cy = over->centerY();
    if (std::fabs(button->position.x - cx) > 0.0002f || std::fabs(button->position.y - cy) > 0.0002f)
        button->SetPosition(cx, cy, 0.0f);
    button->document = std::move(document);
    return button;
}

bool TutorialButton::contains(float x, float y) const
{
    if (!normalLayer || !normalImage)
        return false;
    const float left = position.x + normalLayer->position.x;
    const float top = position.y + normalLayer->position.y;
    const float width = static_cast<float>(normalImage->GetWidth());
    const float height = static_cast<float>(normalImage->GetHeight());
    return left < x && x < left + width && top < y && y < top + height;
}

void TutorialButton::onClick(int x, int y)
{
    if (!visible || !contains(static_cast<float>(x), static_cast<float>(y)))
        return;
    tutorial->visible = 0;
    tutorial->skipPending = 1;
    tutorial->openSkipConfirmation();
}
