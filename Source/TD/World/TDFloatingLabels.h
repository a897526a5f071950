#pragma once
// Short texts and icons that rise over the map (rewards, immunity) and fade.
namespace render {
class Graphics;
}

class TDFloatingLabels {
public:
    void update(float) {}
    void draw(render::Graphics*) {}
    void clear() {}
};
