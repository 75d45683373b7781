#pragma once

// Hides Qt's note that a root session under a bare X server has no runtime folder;
// warnings still show. Call before the application object is made.
void QuietenLibraryChatter();
