#pragma once

// How the web views' frames reach the screen: without a GPU they are composed
// by Qt Quick's software renderer. Set before the first view exists, once
// the global shared OpenGL context is there.
void PrepareGraphics();
