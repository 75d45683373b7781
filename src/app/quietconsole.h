#pragma once

// A normal run prints nothing of the libraries' own start-up chatter: the web
// engine's description of its set-up, its word that the sandbox is off (the
// program says that itself, in one line), Qt's note that a root session
// under a bare X server has no runtime folder (Qt makes one and goes on), and
// its warning that the player shares OpenGL contexts late (it does so on
// purpose, so that the launcher shows sooner).
// Everything else, warnings included, still reaches the console. Call before
// the application object is made.
void QuietenLibraryChatter();
