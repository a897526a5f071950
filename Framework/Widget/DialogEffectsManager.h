#pragma once
// Maps dialog names to named effect descriptions and makes the effects task of a dialog
// when the dialog is attached to the frame manager. Descriptions come in kinds, each
// made by a registered creator; "Anim" is registered from the start.
#include "Core/Base/Singletone.h"
#include "Core/Base/Types.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace render {
class Render;
}
namespace tinyxml2 {
class XMLElement;
}

namespace widget {

class Dialog;
class DialogEffects;
class DialogEffectsCreatorBase;
class DialogEffectsData;
class DialogEffectsDataCreatorBase;

class DialogEffectsManager : public base::Singletone<DialogEffectsManager> {
public:
    DialogEffectsManager();
    ~DialogEffectsManager() override;

    // Preloaded animations hold resource handles: the manager goes before the
    // resource manager.
    std::vector<base::SingletoneBase*> GetDependencies() override;

    // The effects task of `dialog` in *out (null when its name has no effect): 0, or
    // the failure of making it.
    GEResultEnum GetEffects(Dialog* dialog, DialogEffects** out);

    // Reads a description of `kind` from `element` and keeps it as `effectName`
    // (replacing an older one). An unknown kind or a failed load logs and fails.
    GEResultEnum AddEffect(const std::string& effectName, const std::string& kind,
                           const tinyxml2::XMLElement* element);
    // Dialogs named `dialogName` get the effect `effectName`.
    void AssignEffect(const std::string& dialogName, const std::string& effectName);
    // The children of `root`: <effect name=".." kind=".." .../> (the description's own
    // attributes beside) and <dialog name=".." effect=".."/>. Stops at the first failure.
    GEResultEnum LoadDescriptions(const tinyxml2::XMLElement* root);

    void RegisterEffectCreator(const std::string& effectName,
                               std::unique_ptr<DialogEffectsCreatorBase> creator);
    void RegisterDataCreator(const std::string& kind, std::unique_ptr<DialogEffectsDataCreatorBase> creator);

    // The renderer given to the animations; the application's when null.
    render::Render* GetRenderer() const;
    render::Render* renderer = nullptr;

    std::map<std::string, std::unique_ptr<DialogEffectsCreatorBase>> effectCreators;
    std::map<std::string, std::unique_ptr<DialogEffectsDataCreatorBase>> dataCreators;
    std::map<std::string, std::unique_ptr<DialogEffectsData>> effectsData;
    std::map<std::string, std::string> dialogEffects;
};

} // namespace widget
