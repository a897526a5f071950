#pragma once
// A layer that holds one image layer per visual state, loaded from a layered image,
// and lays them out around the centre of their common rectangle.
#include "Framework/Gui/GameControlHelper.h"
#include "Framework/Layer/Layer.h"
#include <vector>

namespace gui {

class GameControl : public layer::Layer, public GameControlHelper {
public:
    // State indices are chosen by code; a bound keeps a wrong one from growing the table.
    static constexpr int kMaxStates = 32;

    GameControl();
    // Detaches and deletes every state layer before the helper part goes.
    ~GameControl() override;

    // Loads the entry as the layer of state `index` and grows the union rectangle by
    // the entry's rectangle. An empty entry name does nothing and succeeds. On failure
    // the table and the rectangle stay as they were.
    GEResultEnum LoadState(int index, const std::wstring& entryName, layer::ImageLayer** layerOut = nullptr);
    // Moves the control to the centre of the union rectangle and puts every state layer
    // under it, relative to that centre. Meant to run once, after the states are loaded.
    void UpdateLayout();

    layer::Layer* GetState(int index) const;
    int GetStateCount() const { return static_cast<int>(stateLayers.size()); }

    i32 unionRect[4] = {0, 0, 0, 0}; // x, y, w, h
    bool hasRect = false;
    std::vector<layer::Layer*> stateLayers;
};

} // namespace gui
