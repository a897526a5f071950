#pragma once
// The game's application class: configures the program before the window exists
// (archive, feature switches, per-user folder and log, caption, profiles, screen
// mode and width, publisher checks), creates the content once the renderer stands,
// draws the side panels, pauses on focus loss and keeps the screen mode in the
// profile. Game code reaches the root board through Game::sInstance.
#include "Core/Resource/ResourceHandle.h"
#include "Framework/GameApplication.h"
#include "Source/TD/TMobShader.h"
#include <memory>
#include <string>

namespace file {
class ImageContainer;
}
namespace render {
class Image;
}
class GameWindow;

class Game : public framework::GameApplication {
public:
    Game();
    // Releases the side images, may open the publisher's page or document.
    ~Game() override;
    // The destructor still asks the file manager for the publisher's files.
    std::vector<base::SingletoneBase*> GetDependencies() override;

    GEResultEnum PreInit() override;
    GEResultEnum InitContent() override;
    GEResultEnum Update(float dt) override;
    // Side panels on the screens that leave room for them.
    GEResultEnum Draw(render::Graphics& g) override;
    // Focus: audio resumes; on loss it pauses, and a level being played pauses too.
    void OnActivate() override;
    void OnDeactivate() override;
    // The particle atlases, side and loading images and the unit shader are made with
    // the renderer: they go before it does (the window closing, or the program ending).
    void ReleaseGameGraphics() override;
    // Switches and, when the mode really changed, stores it in the profile.
    GEResultEnum SwitchScreenMode() override;

    // Keys go straight to the root board, past the frame manager.
    void OnKeyDown(int key) override;
    void OnKeyUp(int key) override;
    void OnChar(wchar_t ch) override;

    // The two side images beside the 1024-wide design area (the HUD's loading screens).
    void drawSidePanels(render::Graphics& g);
    // One whole frame with the loading image, presented at once (before a level loads).
    void drawLoadingScreen();

    // The level object's screen id; -1 while there is no root board.
    int screenId() const;

    // The program's own path for a file next to it (publisher page and program).
    std::string besideProgram(const std::string& fileName) const;

    static inline Game* sInstance = nullptr;

    render::Image* mLeftSide = nullptr;  // owned
    render::Image* mRightSide = nullptr; // owned
    i32 mScreenPixelWidth = 0;
    i32 mScreenPixelHeight = 0;
    float mLoadingScale = 1.0f;
    resource::ResourceHandle<TMobShader> mMobShader;
    render::Image* mLoadingImage = nullptr; // owned
    // The side panels' layered image: their textures were loaded from it and keep a
    // pointer to it, so it lives as long as they do.
    std::unique_ptr<file::ImageContainer> mSides;
    GameWindow* mGameWindow = nullptr;      // the root frame; the frame manager owns it

private:
    // Creates the root board and makes it the root frame.
    GEResultEnum createRootBoard();
    // What the content lacks to show any screen (fonts, the main menu), or empty.
    std::wstring missingContent() const;
    // TDMap::pause on the level object: stops the world and opens the in-game menu.
    void pauseLevel();
    void drawSide(render::Graphics& g, render::Image* image, float x, float y, u32 hAlign, float scale);
    void releaseImages();
};

// The one game object, once it is constructed.
Game* GetGame();
