#include "tests/Support/SideBarCheck.h"
#include "tests/Support/PngFile.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>
#include <sstream>

namespace {

constexpr int kDesignHeight = 768;
// Per channel: the panels are drawn unscaled on whole pixels, so only rounding differs.
constexpr int kTolerance = 3;

bool Near(std::uint32_t a, std::uint32_t b)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > kTolerance)
            return false;
    return true;
}

// The pixels of a bar that differ from what one reading of it expects, and where.
struct Finding {
    long count = 0;
    int left = std::numeric_limits<int>::max(), right = -1, top = std::numeric_limits<int>::max(), bottom = -1;
    void Add(int x, int y)
    {
        ++count;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
};

} // namespace

SideBarCheck::SideBarCheck(const std::filesystem::path& contentFolder)
{
    const std::filesystem::path sides = contentFolder / "td" / "data" / "sides";
    if (!ReadPng((sides / "l.png").string(), left, leftWidth, leftHeight))
        leftWidth = leftHeight = 0;
    if (!ReadPng((sides / "r.png").string(), right, rightWidth, rightHeight))
        rightWidth = rightHeight = 0;
}

std::string SideBarCheck::Check(const std::vector<std::uint32_t>& argb, int width, int height) const
{
    if (height != kDesignHeight || width * 3 <= height * 4 ||
        argb.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return std::string();
    const int bar = (width - height * 4 / 3) / 2;
    if (bar <= 0)
        return std::string();
    const auto pixel = [&](int x, int y) { return argb[static_cast<size_t>(y) * width + x] & 0xFFFFFFu; };

    struct Side {
        const char* name;
        int from, to; // client columns of the bar
        const std::vector<std::uint32_t>* panel;
        int panelWidth, panelHeight;
        // The panel column at client column x for each of the two places (-1: none).
        std::function<int(int x, int place)> column;
    };
    const Side sides[] = {
        // The left panel's right edge at the picture's left edge, or one column into it.
        {"left", 0, bar, &left, leftWidth, leftHeight,
         [&](int x, int place) { return x - (bar + place - leftWidth); }},
        // The right panel's left edge at the picture's right edge, or one column before it.
        {"right", width - bar, width, &right, rightWidth, rightHeight,
         [&](int x, int place) { return x - (width - bar - place); }},
    };
    std::ostringstream report;
    for (const Side& side : sides) {
        // Readings: all black, or the panel at either place.
        Finding readings[3];
        for (int y = 0; y < height; ++y) {
            for (int x = side.from; x < side.to; ++x) {
                const std::uint32_t p = pixel(x, y);
                if (!Near(p, 0))
                    readings[0].Add(x, y);
                for (int place = 0; place < 2; ++place) {
                    const int column = side.column(x, place);
                    const bool onPanel = side.panelWidth > 0 && side.panelHeight == height && column >= 0 &&
                                         column < side.panelWidth;
                    const std::uint32_t expected =
                        onPanel ? (*side.panel)[static_cast<size_t>(y) * side.panelWidth + column] & 0xFFFFFFu : 0u;
                    if (!Near(p, expected))
                        readings[1 + place].Add(x, y);
                }
            }
        }
        const Finding& best = *std::min_element(std::begin(readings), std::end(readings),
                                                [](const Finding& a, const Finding& b) { return a.count < b.count; });
        if (best.count == 0)
            continue;
        const bool panel = &best != &readings[0];
        report << (report.tellp() > 0 ? "; " : "") << side.name << " bar: " << best.count
               << (panel ? " pixels differ from the side panel" : " pixels are not black") << ", within x "
               << best.left << ".." << best.right << ", y " << best.top << ".." << best.bottom;
    }
    return report.str();
}
