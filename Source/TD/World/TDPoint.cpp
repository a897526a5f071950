#include "Source/TD/World/TDPoint.h"

#include "Core/Base/Log.h"

#include <tinyxml2.h>

TDPoint::TDPoint(const tinyxml2::XMLElement* element, float coordinateScale)
    : id(ReadIntAttribute(element, "id")), x(ReadFloatAttribute(element, "x")), y(ReadFloatAttribute(element, "y"))
{
    GE_LOG(L"new td point (%g, %g)#%d!\n") << static_cast<double>(x) << static_cast<double>(y) << id;
    x *= coordinateScale;
    y *= coordinateScale;
    params = ParamSet(element);
}
