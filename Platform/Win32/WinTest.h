#pragma once
// Entry points for tests that drive the Win32 stand-in directly: messages straight
// into a window's queue, the pointer where no real mouse exists, a failing keyboard.
// Engine code never includes this header.
#include "Platform/Win32/WinWindow.h"

// Passed as `character` when a posted key-down should translate through the layout.
constexpr long Win32_TestLayoutCharacter = -1;

// Appends a message to the queue as if the system had posted it. For a key-down,
// `character` is what ToUnicode reports for it (0: none).
BOOL Win32_TestPostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                           long character = Win32_TestLayoutCharacter);
// Moves the pointer (screen coordinates); WindowFromPoint then finds the window of
// this process under it.
void Win32_TestSetCursorPos(int x, int y);
// Makes GetKeyboardState fail while set.
void Win32_TestFailKeyboardState(bool fail);
// Forgets every key and button held in the keyboard state.
void Win32_TestResetKeyboardState();
// The first display reports this size, its work area too, as a monitor of that size
// would (0, 0: its own size again).
void Win32_TestSetDisplaySize(int width, int height);
// Windows of this process that are not destroyed.
int Win32_TestWindowCount();
// The show state (SW_SHOWMINIMIZED, SW_SHOWNORMAL or SW_HIDE) of a window of this process.
int Win32_TestShowState(HWND hwnd);
