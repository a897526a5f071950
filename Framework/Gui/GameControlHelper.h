#pragma once
// Builds a control's look from the named entries of a layered image: opens the
// container, makes image layers from its entries and adopts them under the owner
// widget's layer.
#include "Core/Base/Types.h"
#include "Framework/Layer/RectHitLayer.h"
#include <memory>
#include <string>
#include <vector>

namespace file {
class ImageContainer;
}
namespace layer {
class HitTestListener;
class ImageLayer;
class Layer;
} // namespace layer
namespace render {
class Render;
}
namespace widget {
class TrapHitTestListener;
class Widget;
} // namespace widget

namespace gui {

// How InsertLayer treats the layer's pointer events.
enum InsertMode : int {
    kInsertKeepHits = 0, // as it is
    kInsertNoHits = 1,   // hit-enabled cleared
    kInsertTrapHits = 2, // swallows every event over its area (trap listener)
};

class GameControlHelper {
public:
    GameControlHelper();
    // Detaches and deletes every adopted layer, the trap listener and the container.
    virtual ~GameControlHelper();
    GameControlHelper(const GameControlHelper&) = delete;
    GameControlHelper& operator=(const GameControlHelper&) = delete;

    // Opens the layered image `containerName` through the file manager; 1 when it
    // cannot be opened. The owner's layer becomes the root of the added layers, and
    // `listener` the hit listener of every layer made from the container.
    GEResultEnum Open(const std::wstring& containerName, widget::Widget* owner,
                      layer::HitTestListener* listener);

    // An image layer for the entry, standing at the entry's x, y, with the stored hit
    // listener; `rectOut` (optional) receives the entry's rectangle. The caller owns
    // the layer. A failure of the image loading is returned.
    GEResultEnum LoadLayer(const std::wstring& entryName, layer::Rect* rectOut, layer::ImageLayer** layerOut);

    // Adopts the layer (hit-enabled cleared) as the top-most child of the root layer.
    // The third argument is not used.
    GEResultEnum AddLayer(layer::Layer* child, int mode, int unused = 0);
    // Adopts the layer as the bottom-most child of the root layer; `mode` is an
    // InsertMode. The third argument is not used.
    GEResultEnum InsertLayer(layer::Layer* child, int mode, int unused = 0);
    // LoadLayer, position made relative to the root layer, then AddLayer/InsertLayer.
    // `layerOut` (optional) receives the adopted layer.
    GEResultEnum AddNamedLayer(const std::wstring& name, int mode, layer::ImageLayer** layerOut = nullptr);
    GEResultEnum InsertNamedLayer(const std::wstring& name, int mode, layer::ImageLayer** layerOut = nullptr);

    // Created on first use, for the owner widget.
    widget::TrapHitTestListener* GetTrapListener();

    file::ImageContainer* GetContainer() const { return container.get(); }

    std::vector<layer::Layer*> adoptedLayers;
    std::unique_ptr<file::ImageContainer> container;
    bool containerOpen = false;
    widget::Widget* ownerWidget = nullptr;
    layer::Layer* rootLayer = nullptr;
    layer::HitTestListener* hitListener = nullptr;
    std::unique_ptr<widget::TrapHitTestListener> trapListener;
    // The renderer the images are made with; the application's when null.
    render::Render* renderer = nullptr;

protected:
    // Takes ownership once; false when the layer was adopted already.
    bool Adopt(layer::Layer* child);
    // Forgets an adopted layer without deleting it.
    void Disown(layer::Layer* child);

private:
    GEResultEnum LoadRelativeLayer(const std::wstring& name, layer::ImageLayer** out);
};

} // namespace gui
