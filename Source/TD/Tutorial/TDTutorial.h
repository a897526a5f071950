#pragma once
// The scripted tutorial read from "td/tutorial.xml". The game announces named events;
// a waiting step whose activate event arrives runs its commands and shows its
// overlay, and its complete event runs the completion commands and clears it. Step
// states live in the current profile, so a finished step never runs again. The
// overlay (pictures and texts of a folder of "td/data/tutorial" and a skip button)
// hangs under the root board's layer.
#include "Core/Base/Singletone.h"
#include "Core/Base/Types.h"

#include <memory>
#include <string>
#include <vector>

namespace file {
class ImageContainer;
}
namespace layer {
class ImageLayer;
class Layer;
class TextLayer;
} // namespace layer
class PlayerProgress;
class TDMap;
class TDTutorialStep;
class TutorialButton;
struct TDTutorialCommand;

class TDTutorial : public base::Singletone<TDTutorial> {
public:
    static constexpr const wchar_t* kScriptPath = L"td/tutorial.xml";
    static constexpr const wchar_t* kImagesPath = L"td/data/tutorial";

    TDTutorial();
    ~TDTutorial() override;

    // Offers the event to every step in file order (all of them see it). When a
    // completion cleared the overlay, a step still active shows its own again, so its
    // restrictions never stand without its hint and the skip button.
    void fireEvent(const std::wstring& name);
    // Rereads the enabled flag and every step's state from the current profile.
    void loadProgress();
    // The player skipped the tutorial: off for this profile, restrictions lifted (the
    // game it holds paused runs again).
    void disable();
    // Unfinished groups of steps start over (level start and restart).
    void resetSteps();

    // Reads the steps of a script's text (replacing those read before); a text that
    // does not parse gives no steps and one log line. False when it did not parse.
    bool readScript(const std::string& text);

    void showOverlay(TDTutorialStep* step);
    void clearOverlay();
    // The level object goes, and the renderer after it: the overlay and the skip
    // button give back their textures now.
    void releaseGraphics();
    // Hovering over the skip button (press and move of the pointer).
    void onMouseMove(int x, int y);
    // The release goes to the skip button while the overlay takes input; true when
    // the skip confirmation was opened.
    bool onRelease(int x, int y);
    void updateSkipButton(float dt);
    // The in-game menu hides the overlay's layers and shows them again when it closes.
    void hideLayers();
    void showLayers();
    // The skip button was clicked: the confirmation opens.
    void openSkipConfirmation();
    // The skip confirmation's answers.
    void confirmSkip();
    void cancelSkip();

    std::vector<TDTutorialStep*> steps; // owned, in file order
    int previousVisible = 0;            // visible, saved while the in-game menu is open
    int active = 1;                     // the tutorial runs (the profile's "avail")
    int visible = 0;                    // an overlay is shown and takes input
    int skipPending = 0;                // the skip confirmation is open
    int skipButtonShown = 0;            // the skip button hangs on the screen
    int holdsPause = 0;                 // a step's "pause" holds the game still
    std::unique_ptr<file::ImageContainer> images;
    std::vector<layer::ImageLayer*> overlayImages; // owned
    std::vector<layer::TextLayer*> overlayTexts;   // owned
    layer::Layer* imageRoot = nullptr;             // owned
    layer::Layer* textRoot = nullptr;              // owned
    TutorialButton* skipButton = nullptr;          // owned
    // The last events fired, oldest first (kept for inspection, at most kEventMemory).
    static constexpr size_t kEventMemory = 256;
    std::vector<std::wstring> events;

private:
    void runCommands(const std::vector<TDTutorialCommand>& commands);
    void buildSkipButton();
    int storedState(TDTutorialStep* step);
    void storeState(TDTutorialStep* step, int state);
    bool skipButtonHit(int x, int y) const;
};

// Every unfinished group of steps back to its start.
void ResetTutorialSteps();
