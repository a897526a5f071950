#pragma once
// The "Anim" kind of dialog effects: two animation files, one played on the dialog's
// layer when it opens and one when it closes. With "preload" both are loaded with the
// description and shared by every dialog using it.
#include "Core/Resource/ResourceHandle.h"
#include "Framework/Widget/DialogEffectsData.h"
#include <string>

namespace animation {
class AnimData;
}
namespace render {
class Render;
}

namespace widget {

class DialogAnimEffectsData : public DialogEffectsData {
public:
    DialogAnimEffectsData();
    ~DialogAnimEffectsData() override;

    // Reads "show_anim_data", "hide_anim_data" (both required) and "preload" (its
    // presence alone counts).
    GEResultEnum Load(const tinyxml2::XMLElement* element) override;
    GEResultEnum CreateEffects(Dialog* dialog, DialogEffects** out) override;

    std::wstring showAnimName;
    std::wstring hideAnimName;
    resource::ResourceHandle<animation::AnimData> showAnim;
    resource::ResourceHandle<animation::AnimData> hideAnim;
    bool preload = false;
};

// Puts the animation named `name` into `handle` (releasing what it held) and loads it
// unless it is loaded already: 0, or 1 when it cannot be had, or the load's result.
GEResultEnum LoadDialogAnimation(const std::wstring& name,
                                 resource::ResourceHandle<animation::AnimData>& handle);

} // namespace widget
