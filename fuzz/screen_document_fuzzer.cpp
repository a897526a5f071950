// Feeds arbitrary bytes as a screen document's "layers.xml" and builds the screen
// windows from it the way the game does: the window base (pictures, buttons, text
// places), the style buttons of a button-list window, and the HUD's stack holding the
// window. Whatever the document, the window holds what could be read and answers
// every pointer question; nothing it lists points anywhere but into its own lists.
#include "Core/File/PsdFolder.h"
#include "fuzz/LayersXmlInput.h"
#include "Source/TD/Hud/ButtonOverWindow.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TDButtonFrame.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A few fixed points and the corner of every button frame.
void Probe(HUDWindow& window, HUD& hud)
{
    std::vector<std::pair<int, int>> points = {{0, 0}, {-1, -1}, {512, 384}};
    auto coordinate = [](float v) { return v > -1e6f && v < 1e6f ? static_cast<int>(v) : 0; };
    for (const TDButtonFrame* button : window.buttons)
        points.emplace_back(coordinate(button->mX), coordinate(button->mY));
    for (const auto& [x, y] : points) {
        const int hit = window.hitTest(x, y);
        if (hit < -1 || hit >= static_cast<int>(window.buttons.size()))
            std::abort();
        const std::wstring name = window.click(x, y);
        if (!name.empty() && !window.findButton(name) && dynamic_cast<ButtonOverWindow*>(&window) == nullptr)
            std::abort();
        window.onMouseMove(x, y);
        window.onMousePressed(x, y);
        window.onMouseReleased(x, y);
        hud.hitTest(x, y);
        hud.click(x, y);
    }
    window.update(0.25f);
    window.setText(L"caption", L"text");
    window.setImageVisible(L"back", false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, std::size_t size)
{
    if (size > 1u << 18)
        return 0;
    LayersXmlInput input(data, size);
    file::PsdFolder document(L"f", &input, 1.0f);

    static HUD hud; // no "td/ui" here: an empty overlay, kept across inputs
    auto* window = new HUDWindow;
    window->build(&document);
    auto* list = new ButtonOverWindow;
    list->build(&document);
    list->addButtonsFromDocument(&document, FontHandle());
    hud.pushWindow(window);
    hud.pushWindow(list);
    hud.update(0.0f);
    Probe(*window, hud);
    Probe(*list, hud);
    window->close();
    hud.update(0.0f);
    hud.popWindow();
    return 0;
}
