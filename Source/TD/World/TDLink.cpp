#include "Source/TD/World/TDLink.h"

#include "Core/Base/Log.h"
#include "Source/TD/World/ParamSet.h"

#include <tinyxml2.h>

TDLink::TDLink(const tinyxml2::XMLElement* element, float coordinateScale)
    : sid(ReadIntAttribute(element, "sid")), eid(ReadIntAttribute(element, "eid")),
      anchor_x(ReadFloatAttribute(element, "anchor_x") * coordinateScale),
      anchor_y(ReadFloatAttribute(element, "anchor_y") * coordinateScale)
{
    GE_LOG(L"link loaded!\n");
}
