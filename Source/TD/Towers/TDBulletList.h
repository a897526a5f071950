#pragma once
// Every bullet and spell in flight.
namespace render {
class Graphics;
}
class TDMob;
class TDTower;

class TDBulletList {
public:
    void update(float) {}
    void draw(render::Graphics*) {}
    void forget(TDMob*) {}
    void forgetTower(TDTower*) {}
    void clear() {}
};
