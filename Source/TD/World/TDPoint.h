#pragma once
// One point of a level's path graph: its id, position in world units and its named
// marks ("spawn", "goal", "upper").
#include "Source/TD/World/ParamSet.h"

namespace tinyxml2 {
class XMLElement;
}

class TDPoint {
public:
    // Reads id, x and y (missing: 0), logs the point, scales the position by the
    // level's coordinate scale and reads the marks from the children.
    TDPoint(const tinyxml2::XMLElement* element, float coordinateScale);
    TDPoint(int id, float x, float y) : id(id), x(x), y(y) {}

    bool isSpawn() { return params.number("spawn") == 1.0f; }
    bool isGoal() { return params.number("goal") == 1.0f; }

    int id = 0;
    float x = 0.0f;
    float y = 0.0f;
    ParamSet params;
};
