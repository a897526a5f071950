#pragma once
// A self-drawn screen: pictures, buttons and text places taken from one layered
// document by the names of its layers. Top-level layers are pictures, layers under
// "button/" (any depth) are buttons named after their file name, direct children of
// "text/" are places for texts set by name. Every screen derives from it; the HUD's
// stack owns the screens.
#include "Source/TD/Hud/HUDDocument.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace render {
class Graphics;
}

class TDButtonFrame;
class TDFrameEntry;

class HUDWindow {
public:
    // Empty lists; screens that build their own lists use it.
    HUDWindow();
    // Built from the document at `path`. A document that cannot be opened, or layers
    // it lists but cannot give, leave the window with what could be read (one log
    // line each).
    explicit HUDWindow(const std::wstring& path);
    virtual ~HUDWindow();
    HUDWindow(const HUDWindow&) = delete;
    HUDWindow& operator=(const HUDWindow&) = delete;

    virtual void draw(render::Graphics* graphics);
    virtual void update(float dt);
    virtual void refresh() {}
    virtual void spareHook() {}
    // Called once by the owner after alive was cleared, before the window is deleted.
    virtual void onClosed() {}
    // Called when the owner takes the window off its stack (closed, popped or cleared),
    // before the deferred deletion: what the window hands back to the level goes here.
    virtual void onRemoved() {}
    virtual void onMouseMove(int x, int y);
    virtual void onMouseReleased(int, int) {}
    virtual void onMousePressed(int, int) {}
    virtual void onWheel(int) {}
    virtual void onChar(int) {}
    virtual void onKeyDown(int) {}
    // Index in buttons of the first frame (hidden ones too) holding the point, edges
    // included; -1 when none.
    virtual int hitTest(int x, int y);
    // Name of the first visible button holding the point (plays "simple"); empty when
    // none.
    virtual std::wstring click(int x, int y);

    // Closes the window: its owner deletes it at its next update, never inside the
    // window's own operations.
    void close() { alive = 0; }

    // Adds the document's pictures, buttons and text places to the lists; false (with
    // one log line) when the document cannot be opened.
    bool load(const std::wstring& path);
    // The same from a document already open.
    void build(file::ImageContainer* document);
    void setText(const std::wstring& name, const std::wstring& text);
    void setImageVisible(const std::wstring& name, bool visible);
    TDButtonFrame* findButton(const std::wstring& name) const;
    // The text set under `name`; null when none was.
    const std::wstring* findText(const std::wstring& name) const;
    // Images by layer index (the order they are drawn in).
    void sortImages();

    // The zoom of an image or text drawn at (x, y): shifted by the offset, scaled about
    // the view's centre.
    math::Transform2D placement(float x, float y) const;

    // How a text set under `name` is drawn in its anchor: the font, the width it wraps
    // at (0: not at all) and its own scale (before the window's). An anchor of one line
    // keeps the text on it, shrunk when it is wider: counters and names can outgrow
    // any box.
    struct TextPlacement {
        FontHandle font;
        float wrap = 0.0f;
        float scale = 1.0f;
    };
    TextPlacement placeText(const std::wstring& name, const std::wstring& text, const TDFrameEntry& anchor) const;

    int drawLayer = 0; // 0 screens, 1 modal messages and dialogs (drawn above)
    std::vector<TDButtonFrame*> buttons;                // owned
    std::map<std::wstring, TDFrameEntry*> textAnchors; // owned
    std::vector<TDFrameEntry*> images;                  // owned
    std::vector<std::pair<std::wstring, std::wstring>> texts;
    FontHandle font;
    float time = 0.0f;
    float offsetX = 0.0f, offsetY = 0.0f;
    float scale = 1.0f;
    float pointerX = 0.0f, pointerY = 0.0f;
    int alive = 1; // cleared to close; the owner deletes the window at its next update
    int state = 0;
    float alpha = 1.0f; // fade of windows that fade in (the level result)

    // The font of the text set under `name`: "td/data/fonts/main_80" for the captions,
    // the window's font for the others.
    virtual FontHandle textFont(const std::wstring& name) const;

protected:
    // The frame of one listed layer (visible, owning its picture); null with one log
    // line when the document cannot give it.
    template <class Frame> Frame* frameOf(file::ImageContainer* document, const std::wstring& layer, bool picture);
    void addTextAnchor(file::ImageContainer* document, const std::wstring& layer);
    void drawImageFrame(render::Graphics* graphics, TDFrameEntry* frame) const;
};

// Every text-anchor, button and image list entry is deleted through these.
void DeleteFrameEntryVector(std::vector<TDButtonFrame*>& list);
