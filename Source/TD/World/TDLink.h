#pragma once
// One link of a level's path graph: a quadratic Bezier curve from point `sid` through
// the anchor to point `eid`. Routes may cross it either way.
namespace tinyxml2 {
class XMLElement;
}

class TDLink {
public:
    // Reads sid, eid (missing: 0) and the anchor, scaled by the level's coordinate scale.
    TDLink(const tinyxml2::XMLElement* element, float coordinateScale);
    TDLink(int sid, int eid, float anchorX, float anchorY) : sid(sid), eid(eid), anchor_x(anchorX), anchor_y(anchorY) {}

    bool joins(int a, int b) const { return (sid == a || eid == a) && (sid == b || eid == b); }

    int sid = 0;
    int eid = 0;
    float anchor_x = 0.0f;
    float anchor_y = 0.0f;
};
