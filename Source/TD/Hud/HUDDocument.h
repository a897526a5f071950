#pragma once
// Small services the screen windows share: the level object and the root board's
// fonts as seen from a screen, and pictures taken out of a layered document.
#include "Core/Render/BMFont.h"
#include "Core/Render/DrawParam.h"
#include "Core/Render/Math/Transform2D.h"
#include "Core/Resource/ResourceHandle.h"
#include "Source/TD/World/TDFrameEntry.h"

#include <memory>
#include <string>
#include <vector>

namespace file {
class ImageContainer;
}
namespace layer {
class ImageLayer;
class Layer;
}
namespace math {
struct Point3;
}

class HUDButton;
class TDMap;

using FontHandle = resource::ResourceHandle<render::BMFont>;

// The root board's font loaded from `path` ("td/data/fonts/main_42_3", ...); empty
// when there is no root board or it did not load that font.
FontHandle GameFont(const wchar_t* path);
// The level object of the running game; null outside a game (tools, class tests).
TDMap* CurrentLevel();
// Centre of the level object's view rectangle (the zoom pivot of windows); (0, 0)
// without a level.
void ViewCentre(float* x, float* y);
// Half the view rectangle's width and height (the pivot of button frames).
void ViewHalfSize(float* x, float* y);

// The layered document `path` (a folder with "layers.xml", else path + ".psd"); null,
// with one log line naming `user`, when there is none.
std::unique_ptr<file::ImageContainer> OpenScreenDocument(const std::wstring& path, const wchar_t* user);

// The texture of a layer of the document; null when the layer is missing or its
// picture does not load.
ImageHandle LoadLayerImage(file::ImageContainer* document, const std::wstring& layerName);
// The image layer shows the layer's picture (owned; a previous owned picture is
// released) and stands at the layer's place relative to `origin`.
void SetImageLayerFromDocument(layer::ImageLayer* imageLayer, file::ImageContainer* document,
                               const math::Point3& origin, const std::wstring& layerName);
// A visible frame at the layer's rectangle with its picture, full name and index;
// null (with one log line) when the document has no such layer.
TDFrameEntry* MakeFrameFromLayer(file::ImageContainer* document, const std::wstring& layerName);
// Deletes every button of the list, from the front, and empties it.
void DeleteButtons(std::vector<HUDButton*>& list);
// Takes a layer out of its parent (when it has one) and deletes it; null does nothing.
void DeleteLayer(layer::Layer* node);
// The pixel size of the picture an image layer shows; 0 without layer or picture.
float ImageWidth(const layer::ImageLayer* image);
float ImageHeight(const layer::ImageLayer* image);
// 0xAARRGGBB as four floats r, g, b, a in 0..1.
math::Point4 ColorFromArgb(unsigned argb);

// The pending draw turned into one under `transform`; it draws when it goes.
template <class P>
render::DrawTransform2DParam<P> MakeTransformedImageDraw(render::DrawUntransformedParam<P>&& draw,
                                                         const math::Transform2D& transform)
{
    return render::DrawTransform2DParam<P>(std::move(draw), transform);
}
// Scaled by `s` about the origin, then moved to (x, y).
math::Transform2D ScaledAt(float s, float x, float y);
