#include "Source/TD/Shell/Game.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileManager.h"
#include "Core/File/FileUtils.h"
#include "Core/File/ImageContainer.h"
#include "Core/File/UserDataFileContainer.h"
#include "Core/Render/BMFont.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/ParticleSystem.h"
#include "Core/Resource/ResourceManager.h"
#include "Framework/GameWindow.h"
#include "Framework/Widget/FrameManager.h"
#include "Platform/Bass/Bass.h"
#include "Platform/Win32/Windows.h"
#include "Source/TD/Audio/SoundSystem.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Purchase/TestStore.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/Profiles.h"

#include <tinyxml2.h>

namespace {

// The clear colour of the loading screen, as the frame's.
const float kClearColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};

// A per-user folder name from data: one plain path component, else the default.
std::wstring FolderName(const std::string& configured)
{
    std::wstring name;
    if (!TryConvertToWide(configured, name, L"configured game name"))
        name.clear();
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"/\\") != std::wstring::npos) {
        GE_LOG(L"The configured game name '%s' is not a folder name; the per-user folder keeps its default\n")
            << ConvertToWide(configured, StringEncoding::Ansi);
        return L"ZavavEdovari";
    }
    return name;
}

// Asks the shell to open a document or page; the shell refuses programs.
void OpenWithShell(const std::string& path)
{
    const auto result = reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, "open", path.c_str(), nullptr,
                                                                      nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        GE_LOG(L"The shell did not open %s (result %d)\n") << ConvertToWide(path, StringEncoding::Ansi)
                                                          << static_cast<int>(result);
}

} // namespace

Game* GetGame()
{
    return Game::sInstance;
}

Game::Game()
{
    companyFolder = L"Brenwick";
    gameFolder = L"ZavavEdovari";
    screenSize = app::size{1024, 768};
    // A folder beside the executable holds the content when it has its archive or its
    // "td" folder; an installed game finds it where the install rules put it (the build
    // defines both: from the executable's folder, so that a moved or staged install
    // finds it too, and the installed folder itself).
    contentMarkers = {L"data.dat", L"td"};
    installedDataFolders = {L"" GE_CONTENT_FROM_BINDIR, L"" GE_CONTENT_INSTALL_DIR};
    sInstance = this;
}

Game::~Game()
{
    if (frameManager) {
        frameManager->DetachAll();
        rootFrame = nullptr;
        mGameWindow = nullptr;
    }
    ReleaseGameGraphics();

    file::FileManager* files = file::FileManager::Instance();
    if (gPublisherUrlActive && gPublisherUrlOpenOnClose && files->Exists(L"play.url"))
        OpenWithShell(besideProgram("play.url"));
    std::wstring program;
    if (gPublisherExeActive && TryConvertToWide(gPublisherExeFileName, program, L"publisher program name") &&
        !program.empty() && files->Exists(program))
        OpenWithShell(besideProgram(gPublisherExeFileName));

    if (sInstance == this)
        sInstance = nullptr;
}

std::vector<base::SingletoneBase*> Game::GetDependencies()
{
    std::vector<base::SingletoneBase*> needs = GameApplication::GetDependencies();
    needs.push_back(file::FileManager::Instance());
    return needs;
}

std::string Game::besideProgram(const std::string& fileName) const
{
    return ConvertToNarrow(exeFolder) + fileName;
}

GEResultEnum Game::PreInit()
{
    file::FileManager* files = file::FileManager::Instance();
    if (files->Exists(L"data.dat"))
        files->Mount(L"td/", L"data.dat");

    FeatureConfig::instance()->applyFlags();
    gameFolder = FolderName(gGameName);

    const std::wstring userFolder = userDataFolder + companyFolder + L"/" + gameFolder + L"/";
    file::UserDataFileContainer::Instance()->SetRoot(userFolder);
    if (file::EnsureFolderExists(userFolder) != 0)
        GE_LOG(L"Cannot create the per-user folder %s\n") << userFolder;
    InitLogFile(userFolder);

    caption = LocalStrings::Instance()->get(L"game_caption");
    GE_LOG(L"Window caption: %s\n") << caption;

    file::Profiles* profiles = file::Profiles::Instance();
    profiles->load();
    // The changes of a frame (or of the whole start-up) are written once, at its end.
    profiles->holdSaves(true);
    // No "fs" in the profile: full screen; otherwise its "v" says full screen.
    const tinyxml2::XMLElement* fs = profiles->current ? profiles->current->FirstChildElement("fs") : nullptr;
    bool fullScreen = true;
    if (fs) {
        fullScreen = false;
        fs->QueryBoolAttribute("v", &fullScreen);
    }
    windowed = fullScreen ? 0 : 1;
    GE_LOG(L"Screen mode from the profile: %s\n") << (windowed ? L"window" : L"full screen");

    if (gEditionHd) {
        virtualWidth = 1024;
        contentScale = 0.5f;
    } else {
        virtualWidth = gWideScreenMode ? 1366 : 1024;
    }
    GE_LOG(L"Virtual width %d, content scale %f\n") << virtualWidth << static_cast<double>(contentScale);

    if (gPublisherUrlActive) {
        const bool found = files->Exists(L"play.url");
        if (gPublisherUrlCheck && !found) {
            Stop();
            MessageBoxW(nullptr, L"File play.url not found!", L"Error", MB_ICONERROR);
            return GE_FAIL;
        }
        if (gPublisherUrlOpenOnStart && found)
            OpenWithShell(besideProgram("play.url"));
    }
    if (gPublisherExeActive && gPublisherExeCheck) {
        std::wstring program;
        TryConvertToWide(gPublisherExeFileName, program, L"publisher program name");
        if (program.empty() || !files->Exists(program)) {
            Stop();
            const std::wstring text = L"File " + program + L" not found!";
            MessageBoxW(nullptr, text.c_str(), L"Error", MB_ICONERROR);
            return GE_FAIL;
        }
    }
    return GE_OK;
}

GEResultEnum Game::InitContent()
{
    if (gInAppPurchases) {
        auto* store = new purchase::TestStore;
        purchase::PurchaseSystem* purchases = purchase::PurchaseSystem::Instance();
        purchases->setStore(store);
        purchases->loadProducts(L"td/inapp.xml");
        AddChild(store);
    }

    mMobShader = resource::ResourceManager::Get<TMobShader>(TMobShader::kFolder);
    if (mMobShader.Get() && !mMobShader->IsLoaded()) {
        mMobShader->SetRenderer(render.get());
        if (mMobShader->Load() != GE_OK)
            GE_LOG(L"The enemy shader did not load; units draw untinted\n");
    }

    mScreenPixelWidth = static_cast<i32>(render->GetWidth());
    mScreenPixelHeight = static_cast<i32>(render->GetHeight());
    mLoadingScale = mScreenPixelHeight > 0 ? 768.0f / static_cast<float>(mScreenPixelHeight) : 1.0f;

    releaseImages();
    // The container stays open while its textures may still be reloaded from it.
    mSides.reset(file::FileManager::Instance()->OpenImageContainer(L"td/data/sides"));
    if (mSides) {
        render->LoadTexture(L"l", mSides.get(), &mLeftSide);
        render->LoadTexture(L"r", mSides.get(), &mRightSide);
    } else {
        GE_LOG(L"No side panels: td/data/sides is missing\n");
    }
    if (render->LoadTexture(L"td/data/loading", nullptr, &mLoadingImage) != GE_OK)
        GE_LOG(L"No loading image: td/data/loading did not load\n");

    if (GEResultEnum result = createRootBoard())
        return result;
    // Content that cannot make a screen would leave a black window that never ends.
    const std::wstring missing = missingContent();
    if (missing.empty())
        return GE_OK;
    const std::wstring log = file::UserDataFileContainer::Instance()->GetRootPath() + L"log.html";
    GE_LOG(L"The game cannot show a screen: %s; it ends\n") << missing;
    Stop();
    exitCode = 1;
    const std::wstring text = L"The game cannot show a screen: " + missing +
                              L".\n\nIts content is damaged or incomplete. The log is " + log + L".";
    MessageBoxW(nullptr, text.c_str(), L"Error", MB_ICONERROR);
    return GE_FAIL;
}

std::wstring Game::missingContent() const
{
    std::wstring missing;
    const auto add = [&](const std::wstring& what) { missing += (missing.empty() ? L"" : L", and ") + what; };
    bool anyFont = false;
    if (mGameWindow)
        for (const auto& font : mGameWindow->mFonts)
            anyFont = anyFont || (font.Get() && !font->pages.empty());
    if (!anyFont)
        add(L"no font could be read (td/data/fonts)");
    std::unique_ptr<file::ImageContainer> menu(file::FileManager::Instance()->OpenImageContainer(L"td/main_menu"));
    if (!menu || menu->GetLayerCount() <= 0)
        add(L"the main menu (td/main_menu) could not be read");
    return missing;
}

GEResultEnum Game::Update(float)
{
    // Music notifications from the audio thread are served here, on the main thread.
    if (SoundSystem::Exists())
        SoundSystem::Instance()->update();
    if (file::Profiles::Exists())
        file::Profiles::Instance()->flush();
    return GE_OK;
}

void Game::ReleaseGameGraphics()
{
    if (render::ParticleSystem::Exists())
        render::ParticleSystem::Instance()->ReleaseAtlases();
    releaseImages();
    mMobShader = resource::ResourceHandle<TMobShader>();
}

void Game::releaseImages()
{
    delete mLeftSide;
    mLeftSide = nullptr;
    delete mRightSide;
    mRightSide = nullptr;
    delete mLoadingImage;
    mLoadingImage = nullptr;
    mSides.reset();
}

void Game::drawSide(render::Graphics& g, render::Image* image, float x, float y, u32 hAlign, float scale)
{
    if (!image)
        return;
    math::Transform2D placement;
    placement.Scale(scale, scale);
    placement.Translate(x, y);
    auto request = g.DrawImage(image);
    request.SetAlign(hAlign, 0);
    render::DrawTransform2DParam<render::DrawImageParam> placed(std::move(request), placement);
}

GEResultEnum Game::Draw(render::Graphics& g)
{
    const int screen = screenId();
    if (screen != 5 && screen != 6 && screen != 8 && screen != 16)
        return GE_OK;
    if (!sideBars)
        return GameApplication::Draw(g);
    if (!mLeftSide || mLeftSide->GetHeight() <= 0)
        return GE_OK;
    const float scale = virtualRect.height / static_cast<float>(mLeftSide->GetHeight());
    drawSide(g, mLeftSide, bars[0].x + bars[0].width, bars[0].y, 1, scale);
    drawSide(g, mRightSide, bars[1].x, bars[1].y, 0, scale);
    return GE_OK;
}

void Game::drawSidePanels(render::Graphics& g)
{
    if (!mLeftSide || mLeftSide->GetHeight() <= 0)
        return;
    // The panels stand in the bars beside the picture, which clips everything else.
    const u8 clipped = g.state.scissorEnabled;
    g.state.scissorEnabled = 0;
    g.dirty = 1;
    const float scale = virtualRect.height / static_cast<float>(mLeftSide->GetHeight());
    drawSide(g, mLeftSide, 1.0f, 0.0f, 1, scale);
    drawSide(g, mRightSide, 1023.0f, 0.0f, 0, scale);
    g.state.scissorEnabled = clipped;
    g.dirty = 1;
}

void Game::drawLoadingScreen()
{
    if (!render || render->IsInScene())
        return;
    render->BeginScene();
    {
        render::Graphics g(render.get(), render::GraphicsShaders{render->GetGeomShader(), render->GetMultShader(),
                                                                 render->GetTintShader()});
        g.Clear(kClearColor, 0.0f);
        if (mLoadingImage) {
            math::Transform2D placement;
            if (!target) {
                placement.Scale(contentScale, contentScale);
                auto request = g.DrawImage(mLoadingImage);
                render::DrawTransform2DParam<render::DrawImageParam> placed(std::move(request), placement);
            } else {
                placement.Scale(targetTransform.scale.x, targetTransform.scale.y);
                placement.Translate(targetTransform.position.x, targetTransform.position.y);
                auto request = g.DrawImage(mLoadingImage);
                request.SetAlign(2, 2);
                render::DrawTransform2DParam<render::DrawImageParam> placed(std::move(request), placement);
            }
        }
    }
    render->EndScene();
    render->Present();
    render->ExecuteCommands();
}

void Game::OnActivate()
{
    SoundSystem::Instance();
    BASS_Start();
}

void Game::OnDeactivate()
{
    SoundSystem::Instance();
    BASS_Pause();
    if (screenId() == 0)
        pauseLevel();
}

GEResultEnum Game::SwitchScreenMode()
{
    const bool wasWindowed = window ? window->windowed != 0 : windowed != 0;
    if (GEResultEnum result = GameApplication::SwitchScreenMode())
        return result;
    const bool nowWindowed = window ? window->windowed != 0 : windowed != 0;
    // The profile's own accessor is the level object's; the element is written the same way.
    file::Profiles* profiles = file::Profiles::Instance();
    if (nowWindowed != wasWindowed && profiles->current) {
        tinyxml2::XMLElement* fs = profiles->current->FirstChildElement("fs");
        if (!fs)
            fs = profiles->current->InsertNewChildElement("fs");
        fs->SetAttribute("v", nowWindowed ? 0 : 1);
        profiles->save();
    }
    return GE_OK;
}

// ---------------------------------------------------------------------------------------
// The root board. GameWindow (Source/TD/Shell/GameWindow.h) fills these in: it is made
// the root frame at the end of InitContent, gives the level object's screen id, takes
// the keys and pauses a level on focus loss.

GEResultEnum Game::createRootBoard()
{
    // The frame manager owns the board once it is the root frame (its Init runs there).
    mGameWindow = new GameWindow;
    return SetRootFrame(mGameWindow);
}

int Game::screenId() const
{
    return mGameWindow && mGameWindow->mMap ? mGameWindow->mMap->mScreen : -1;
}

void Game::pauseLevel()
{
    if (mGameWindow && mGameWindow->mMap)
        mGameWindow->mMap->pause();
}

void Game::OnKeyDown(int key)
{
    if (mGameWindow)
        mGameWindow->OnKeyDown(key);
    else
        GameApplication::OnKeyDown(key);
}

void Game::OnKeyUp(int key)
{
    if (mGameWindow)
        mGameWindow->OnKeyUp(key);
    else
        GameApplication::OnKeyUp(key);
}

void Game::OnChar(wchar_t ch)
{
    if (mGameWindow)
        mGameWindow->OnChar(ch);
    else
        GameApplication::OnChar(ch);
}
