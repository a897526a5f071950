#pragma once
// Cheap run-time class ids for widgets: each derived class numbers itself among its
// base's children on first use.
#include "Core/Base/Types.h"

namespace widget {

struct TypeId {
    u32 id = 0;
    u32 depth = 0;
    u8 childCounter = 0;
};

// The record of a class derived from `base` (the base's child counter advances).
TypeId MakeDerivedTypeId(TypeId& base);

} // namespace widget
