#pragma once
// The check run over every screenshot of a screen wider than the 4:3 picture: beside
// the picture stand the bars, where nothing but black is drawn, or the side panels,
// which the game puts there on purpose (left and right of the picture, each at one of
// the two places the game draws them).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class SideBarCheck {
public:
    // The side panels of the generated content under `contentFolder` ("td/data/sides").
    explicit SideBarCheck(const std::filesystem::path& contentFolder);

    // The bars of a screenshot (0xAARRGGBB, top row first) at the design height of 768
    // rows: an empty text when each bar is all black or exactly a side panel (or there
    // are no bars), otherwise what is drawn where. Other heights are not checked.
    std::string Check(const std::vector<std::uint32_t>& argb, int width, int height) const;

    // Whether the panels could be read.
    bool Ready() const { return leftWidth > 0 && rightWidth > 0; }

private:
    std::vector<std::uint32_t> left, right;
    int leftWidth = 0, leftHeight = 0, rightWidth = 0, rightHeight = 0;
};
