#include "Source/TD/Screens/TDSplashScreens.h"
#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileUtils.h"
#include "Core/Render/Graphics.h"
#include "Framework/GameApplication.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/World/TDMap.h"

TDSplashScreens::TDSplashScreens()
{
    const std::string text = file::ReadUtf8TextFile(L"logo/logo.ini");
    if (text.empty())
        GE_LOG(L"No splash slides: \"logo/logo.ini\" is missing or empty.\n");
    loadSlides(ParseList(text));
}

TDSplashScreens::TDSplashScreens(const std::vector<std::wstring>& names)
{
    loadSlides(names);
}

std::vector<std::wstring> TDSplashScreens::ParseList(const std::string& text)
{
    std::vector<std::wstring> names;
    CsvLineTokenizer lines(text, '\n', true);
    std::string line;
    while (lines.NextToken(&line)) {
        std::string packed;
        RemoveSpaces(line, packed);
        CsvLineTokenizer cells(packed, ';', false);
        std::string list;
        // Cell 0 names the group and is not used; a line without cell 1 lists nothing.
        if (!cells.NextToken(nullptr) || !cells.NextToken(&list))
            continue;
        CsvLineTokenizer items(list, ',', false);
        std::string name;
        while (items.NextToken(&name)) {
            while (!name.empty() && (name.back() == '\r' || name.back() == '\n'))
                name.pop_back();
            // A damaged name is skipped (the log line names the file); the other slides still show.
            std::wstring wide;
            if (!name.empty() && TryConvertToWide(name, wide, L"\"logo/logo.ini\" slide name"))
                names.push_back(std::move(wide));
        }
    }
    return names;
}

void TDSplashScreens::loadSlides(const std::vector<std::wstring>& names)
{
    render::Render* renderer = GameRenderer();
    for (const std::wstring& name : names) {
        Slide slide;
        if (renderer)
            slide.image = LoadImageHandle(renderer, L"logo/" + name, nullptr);
        if (!slide.image && renderer)
            GE_LOG(L"Splash picture 'logo/%s' did not load; its slide stays black.\n") << name;
        slides.push_back(std::move(slide));
    }
}

void TDSplashScreens::advance()
{
    ++current;
    if (current >= static_cast<int>(slides.size()))
        alive = 0;
}

void TDSplashScreens::update(float dt)
{
    if (!alive)
        return;
    if (current >= static_cast<int>(slides.size())) {
        alive = 0;
        return;
    }
    Slide& slide = slides[static_cast<size_t>(current)];
    const float lengths[3] = {kFadeIn, kHold, kFadeOut};
    slide.clock += dt;
    if (slide.phase < 3 && slide.clock > lengths[slide.phase]) {
        ++slide.phase;
        slide.clock = 0.0f;
    }
    if (slide.phase == 3)
        advance();
}

void TDSplashScreens::draw(render::Graphics* graphics)
{
    if (current < 0 || current >= static_cast<int>(slides.size()))
        return;
    const Slide& slide = slides[static_cast<size_t>(current)];
    float cx = 512.0f;
    float cy = 384.0f;
    if (framework::GameApplication* application = framework::GetGameApplication()) {
        const framework::FloatRect& visible = application->visibleRect;
        if (visible.width > 0.0f && visible.height > 0.0f) {
            cx = visible.x + visible.width * 0.5f;
            cy = visible.y + visible.height * 0.5f;
        }
    }
    if (slide.image)
        graphics->DrawImage(slide.image.get()).SetAlign(2, 2).Translate(cx, cy);
    if (slide.phase == 0 || slide.phase == 2) {
        const float alpha = slide.phase == 0 ? 1.0f - 2.0f * slide.clock : 2.0f * slide.clock;
        graphics->SetColor(0.0f, 0.0f, 0.0f, alpha);
        const float black[4] = {-512.0f, -512.0f, 2048.0f, 2048.0f};
        graphics->FillRect(black);
    }
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

std::wstring TDSplashScreens::click(int, int)
{
    // Past the last slide the window only closes here; the HUD deletes it after this
    // click and onClosed, never inside it.
    if (alive)
        advance();
    return std::wstring();
}

void TDSplashScreens::onClosed()
{
    if (TDMap* map = CurrentLevel())
        map->mHud->showMainMenu();
}
