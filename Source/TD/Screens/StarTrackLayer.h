#pragma once
// The empty star sockets of an upgrade's plate: the document's track has room for the
// most stars a plate shows, and the plate draws it only as far as its upgrade has
// stars, so that the sockets say how many steps there are to buy.
#include "Framework/Layer/ImageLayer.h"

class StarTrackLayer : public layer::ImageLayer {
public:
    // Sockets drawn from the left, of `slots` in the picture.
    void show(int sockets, int slots);

    GEResultEnum Draw(render::Graphics* g) override;
    void UpdateBounds() override;

    // The width of the part drawn, in the picture's pixels.
    float shownWidth() const;

    int sockets = 0;
    int slots = 1;
};
