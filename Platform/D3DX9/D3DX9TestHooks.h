#pragma once
// Hooks for tests of the shader compiler's own process. Engine code never calls these.
#include <chrono>

// The id of the process the HLSL front end runs in; 0 before the first compile, after
// that process ended, and while shaders compile in the program itself.
int D3DX9Test_FrontEndProcess();

// How long a compile may take before it counts as hung (20 s unless changed).
void D3DX9Test_SetFrontEndTimeLimit(std::chrono::milliseconds limit);
