#include "Framework/Widget/TypeId.h"

namespace widget {

TypeId MakeDerivedTypeId(TypeId& base)
{
    TypeId derived;
    derived.depth = base.depth + 1;
    ++base.childCounter;
    const u32 counter = base.childCounter;
    switch (derived.depth) {
    case 1:
        derived.id = counter;
        break;
    case 2:
        derived.id = counter << 8 | base.id;
        break;
    case 3:
        derived.id = counter << 16 | base.id;
        break;
    case 4:
        derived.id = counter << 24 | base.id;
        break;
    default:
        derived.id = 0;
        break;
    }
    return derived;
}

} // namespace widget
