#pragma once
// A named description of dialog effects, read from an XML element, that makes the
// effects task of each dialog using it; and the creators that make descriptions by kind.
#include "Core/Base/Types.h"

namespace tinyxml2 {
class XMLElement;
}

namespace widget {

class Dialog;
class DialogEffects;

class DialogEffectsData {
public:
    virtual ~DialogEffectsData() = default;
    virtual GEResultEnum Load(const tinyxml2::XMLElement* element) = 0;
    // A new effects task for `dialog` in *out; on failure *out is left unchanged.
    virtual GEResultEnum CreateEffects(Dialog* dialog, DialogEffects** out) = 0;
};

class DialogEffectsDataCreatorBase {
public:
    virtual ~DialogEffectsDataCreatorBase() = default;
    virtual DialogEffectsData* Create() = 0;
};

template <class T> class DialogEffectsDataCreator : public DialogEffectsDataCreatorBase {
public:
    DialogEffectsData* Create() override { return new T; }
};

} // namespace widget
