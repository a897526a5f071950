#include "tests/Game/Desktop/Player.h"

#include "tests/Support/PngFile.h"
#include "tests/Support/SideBarCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace desktop {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr float kDesignW = 1024.0f, kDesignH = 768.0f;

bool Near(std::uint32_t a, std::uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

} // namespace

Player::Player(XDisplay& display, GameRun& game, const Layout& layout, const std::string& shots)
    : display(display), game(game), layout(layout), shots(shots)
{
    fs::remove_all(fs::path(GE_BINARY_DIR) / "test-shots" / shots);
}

bool Player::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

bool Player::WaitForWindow(std::chrono::seconds limit)
{
    return WaitUntil([this] { return Locate(); }, limit);
}

bool Player::Locate()
{
    window = display.FindWindow(game.Pid());
    if (!window || !display.ClientRect(window, client) || client.width <= 0 || client.height <= 0)
        return false;
    // As the game fits its 4:3 picture: the full height when the client is wider, the
    // full width otherwise, centred.
    const float cw = static_cast<float>(client.width), ch = static_cast<float>(client.height);
    float usedW = cw, usedH = ch;
    if (cw * 3.0f > ch * 4.0f)
        usedW = static_cast<float>(client.height * 1024 / 768);
    else
        usedH = static_cast<float>(client.width * 768 / 1024);
    scale = usedW / kDesignW;
    originX = static_cast<float>(client.x) + (cw - usedW) * 0.5f;
    originY = static_cast<float>(client.y) + (ch - usedH) * 0.5f;
    return true;
}

void Player::ToScreen(Point p, int& x, int& y) const
{
    x = static_cast<int>(originX + p.x * scale + 0.5f);
    y = static_cast<int>(originY + p.y * scale + 0.5f);
}

void Player::MoveTo(Point p)
{
    int x = 0, y = 0;
    ToScreen(p, x, y);
    display.MoveTo(x, y, 60);
}

bool Player::ThroughSplash(double share)
{
    return WaitUntil(
        [&] {
            if (Likeness("menu") >= share)
                return true;
            Click(Point{100.0f, 650.0f}, 700);
            return false;
        },
        std::chrono::seconds(120));
}

void Player::Click(Point p, int gapMs)
{
    int x = 0, y = 0;
    ToScreen(p, x, y);
    display.Click(x, y, gapMs);
}

std::uint32_t Player::DesignPixel(const Picture& screen, float x, float y) const
{
    const int sx = std::clamp(static_cast<int>(originX + (x + 0.5f) * scale), 0, screen.width - 1);
    const int sy = std::clamp(static_cast<int>(originY + (y + 0.5f) * scale), 0, screen.height - 1);
    return screen.At(sx, sy) & 0xFFFFFFu;
}

double Player::Likeness(const std::string& name, const DesignRect* area, Point shift)
{
    const Picture& reference = layout.Reference(name);
    if (reference.width != 1024 || reference.height != 768)
        return 0.0;
    const Picture screen = display.Capture();
    if (screen.width == 0)
        return 0.0;
    const DesignRect whole{0.0f, 0.0f, kDesignW, kDesignH};
    const DesignRect& a = area ? *area : whole;
    long alike = 0, samples = 0;
    for (float y = a.y; y < a.y + a.height; y += 4.0f)
        for (float x = a.x; x < a.x + a.width; x += 4.0f) {
            ++samples;
            alike += Near(DesignPixel(screen, x + shift.x, y + shift.y),
                          reference.At(std::clamp(static_cast<int>(x), 0, 1023), std::clamp(static_cast<int>(y), 0, 767)),
                          40);
        }
    return samples ? static_cast<double>(alike) / static_cast<double>(samples) : 0.0;
}

bool Player::WaitFor(const std::string& reference, std::chrono::milliseconds limit, double share,
                     const DesignRect* area)
{
    double best = 0.0;
    if (WaitUntil([&] { return (best = std::max(best, Likeness(reference, area))) >= share; }, limit))
        return true;
    // What showed instead, for the person reading the failure.
    ADD_FAILURE() << "the screen did not come to look like " << reference << " (at best " << best * 100.0
                  << " % alike); see the picture waiting-for-" << reference;
    Shot("waiting-for-" + reference);
    return false;
}

double Player::Difference(const Picture& a, const Picture& b, const DesignRect& area, int tolerance) const
{
    long differ = 0, samples = 0;
    for (float y = area.y; y < area.y + area.height; y += 1.0f)
        for (float x = area.x; x < area.x + area.width; x += 1.0f) {
            ++samples;
            differ += !Near(DesignPixel(a, x, y), DesignPixel(b, x, y), tolerance);
        }
    return samples ? static_cast<double>(differ) / static_cast<double>(samples) : 0.0;
}

void Player::Shot(const std::string& name)
{
    const Picture screen = display.Capture();
    if (screen.width == 0) {
        ADD_FAILURE() << "no screen for the picture " << name;
        return;
    }
    // The client area alone: the window manager's frame and the desktop are not the game's.
    Locate();
    const int left = std::clamp(client.x, 0, screen.width), top = std::clamp(client.y, 0, screen.height);
    const int right = std::clamp(client.x + client.width, 0, screen.width);
    const int bottom = std::clamp(client.y + client.height, 0, screen.height);
    std::vector<std::uint32_t> crop;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            crop.push_back(screen.At(x, y));
    const fs::path folder = fs::path(GE_BINARY_DIR) / "test-shots" / shots;
    fs::create_directories(folder);
    const std::string path = (folder / (name + ".png")).string();
    EXPECT_TRUE(WritePng(path, crop, right - left, bottom - top)) << path;
    static const SideBarCheck sideBars(fs::path(GE_BINARY_DIR) / "content");
    const std::string drawnInTheBars = sideBars.Check(crop, right - left, bottom - top);
    EXPECT_TRUE(drawnInTheBars.empty()) << path << ": " << drawnInTheBars;
}

} // namespace desktop
