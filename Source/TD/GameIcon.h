#pragma once
// The window icon, generated at build time by tools/icon/icon.py (the same drawing as
// the installed theme icons): kGameIconSize x kGameIconSize pixels, four bytes each
// (red, green, blue, alpha), rows from the top.
extern const int kGameIconSize;
extern const unsigned char kGameIconPixels[];
