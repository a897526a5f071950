#include "Framework/Widget/DialogEffectsManager.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Resource/ResourceManager.h"
#include "Framework/GameApplication.h"
#include "Framework/Widget/Dialog.h"
#include "Framework/Widget/DialogAnimEffectsData.h"
#include "Framework/Widget/DialogEffects.h"
#include "Framework/Widget/DialogEffectsData.h"
#include <tinyxml2.h>

namespace widget {

namespace {

// Names come from description files and need not be UTF-8: log them leniently
// rather than let a strict conversion throw.
std::wstring LogText(const std::string& text)
{
    return ConvertToWide(text, StringEncoding::Ansi);
}

} // namespace

DialogEffectsManager::DialogEffectsManager()
{
    RegisterDataCreator("Anim", std::make_unique<DialogEffectsDataCreator<DialogAnimEffectsData>>());
}

DialogEffectsManager::~DialogEffectsManager() = default;

std::vector<base::SingletoneBase*> DialogEffectsManager::GetDependencies()
{
    if (resource::ResourceManager::Exists())
        return {resource::ResourceManager::Instance()};
    return {};
}

render::Render* DialogEffectsManager::GetRenderer() const
{
    if (renderer)
        return renderer;
    framework::GameApplication* application = framework::GetGameApplication();
    return application ? application->render.get() : nullptr;
}

GEResultEnum DialogEffectsManager::GetEffects(Dialog* dialog, DialogEffects** out)
{
    if (!out)
        return GE_FAIL;
    *out = nullptr;
    if (!dialog)
        return GE_OK;
    const auto named = dialogEffects.find(dialog->name);
    if (named == dialogEffects.end())
        return GE_OK;
    const auto data = effectsData.find(named->second);
    if (data != effectsData.end())
        return data->second->CreateEffects(dialog, out);
    const auto creator = effectCreators.find(named->second);
    if (creator == effectCreators.end()) {
        GE_LOG(L"Dialog '%s': its effect '%s' is not known.\n")
            << LogText(dialog->name) << LogText(named->second);
        return GE_FAIL;
    }
    std::unique_ptr<DialogEffects> effects(creator->second->Create());
    if (!effects)
        return GE_FAIL;
    if (const GEResultEnum result = effects->SetDialog(dialog)) {
        // Not handed out: the dialog installs no effects on a failure.
        effects->dialog = nullptr;
        return result;
    }
    *out = effects.release();
    return GE_OK;
}

GEResultEnum DialogEffectsManager::AddEffect(const std::string& effectName, const std::string& kind,
                                             const tinyxml2::XMLElement* element)
{
    const auto creator = dataCreators.find(kind);
    if (creator == dataCreators.end()) {
        GE_LOG(L"Dialog effect '%s': unknown kind '%s'.\n") << LogText(effectName) << LogText(kind);
        return GE_FAIL;
    }
    std::unique_ptr<DialogEffectsData> data(creator->second->Create());
    if (!data)
        return GE_FAIL;
    if (const GEResultEnum result = data->Load(element)) {
        GE_LOG(L"Dialog effect '%s' could not be read.\n") << LogText(effectName);
        return result;
    }
    effectsData[effectName] = std::move(data);
    return GE_OK;
}

void DialogEffectsManager::AssignEffect(const std::string& dialogName, const std::string& effectName)
{
    dialogEffects[dialogName] = effectName;
}

GEResultEnum DialogEffectsManager::LoadDescriptions(const tinyxml2::XMLElement* root)
{
    if (!root)
        return GE_FAIL;
    for (const tinyxml2::XMLElement* child = root->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        const std::string element = child->Name();
        const char* name = child->Attribute("name");
        if (element == "effect") {
            const char* kind = child->Attribute("kind");
            if (!name || !kind) {
                GE_LOG(L"Dialog effects: an \"effect\" lacks its name or kind (line %d).\n")
                    << child->GetLineNum();
                return GE_FAIL;
            }
            if (const GEResultEnum result = AddEffect(name, kind, child))
                return result;
        } else if (element == "dialog") {
            const char* effect = child->Attribute("effect");
            if (!name || !effect) {
                GE_LOG(L"Dialog effects: a \"dialog\" lacks its name or effect (line %d).\n")
                    << child->GetLineNum();
                return GE_FAIL;
            }
            AssignEffect(name, effect);
        }
    }
    return GE_OK;
}

void DialogEffectsManager::RegisterEffectCreator(const std::string& effectName,
                                                 std::unique_ptr<DialogEffectsCreatorBase> creator)
{
    effectCreators[effectName] = std::move(creator);
}

void DialogEffectsManager::RegisterDataCreator(const std::string& kind,
                                               std::unique_ptr<DialogEffectsDataCreatorBase> creator)
{
    dataCreators[kind] = std::move(creator);
}

} // namespace widget
