#include "Framework/Widget/DialogAnimEffectsData.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Resource/ResourceManager.h"
#include "Framework/Animation/AnimData.h"
#include "Framework/Widget/DialogAnimEffects.h"
#include "Framework/Widget/DialogEffectsManager.h"
#include <tinyxml2.h>

namespace widget {

namespace {

GEResultEnum ReadName(const tinyxml2::XMLElement* element, const char* attribute, std::wstring& out)
{
    const char* text = element ? element->Attribute(attribute) : nullptr;
    if (!text) {
        GE_LOG(L"Dialog effects: the attribute \"%s\" is missing.\n") << ConvertToWide(attribute);
        return GE_FAIL;
    }
    return TryConvertToWide(text, out, L"Dialog effects: animation name") ? GE_OK : GE_FAIL;
}

} // namespace

GEResultEnum LoadDialogAnimation(const std::wstring& name,
                                 resource::ResourceHandle<animation::AnimData>& handle)
{
    handle = resource::ResourceManager::Get<animation::AnimData>(name);
    if (!handle) {
        GE_LOG(L"Dialog effects: animation '%s' could not be made.\n") << name;
        return GE_FAIL;
    }
    if (render::Render* renderer = DialogEffectsManager::Instance()->GetRenderer())
        handle->renderer = renderer;
    if (handle->IsLoaded())
        return GE_OK;
    return handle->Load();
}

DialogAnimEffectsData::DialogAnimEffectsData() = default;

DialogAnimEffectsData::~DialogAnimEffectsData() = default;

GEResultEnum DialogAnimEffectsData::Load(const tinyxml2::XMLElement* element)
{
    if (const GEResultEnum result = ReadName(element, "show_anim_data", showAnimName))
        return result;
    if (const GEResultEnum result = ReadName(element, "hide_anim_data", hideAnimName))
        return result;
    preload = element->Attribute("preload") != nullptr;
    if (!preload)
        return GE_OK;
    if (const GEResultEnum result = LoadDialogAnimation(showAnimName, showAnim))
        return result;
    return LoadDialogAnimation(hideAnimName, hideAnim);
}

GEResultEnum DialogAnimEffectsData::CreateEffects(Dialog* dialog, DialogEffects** out)
{
    auto effects = std::make_unique<DialogAnimEffects>();
    if (const GEResultEnum result = effects->Setup(dialog, this))
        return result;
    *out = effects.release();
    return GE_OK;
}

} // namespace widget
