#pragma once
#include "Platform/Win32/WinTypes.h"
