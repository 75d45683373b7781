#pragma once

// Chooses how the web views' frames reach the screen. Must run before the
// first web view exists, after the global shared OpenGL context was made.
void ChooseGraphicsPath();

// Whether OpenGL runs on a graphics processor, judged from the global shared
// context: false without one, or when a software rasteriser stands in.
bool HasUsableGpu();
