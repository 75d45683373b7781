#pragma once

// How a dialog's frame looks and where it stands, told to the window manager.

class QWidget;

// Asks for a caption bar with a close box only: the dialog can be moved and
// closed, not minimized, maximized or resized. Call once the native window
// exists and before it is mapped (from showEvent).
void AskForCloseBoxOnly(QWidget& dialog);

// Moves the dialog so that its frame, caption bar included, is centred on
// the primary screen. Call before the window is mapped (from showEvent): the
// window manager is asked for the frame it will give the window.
void CentreFrameOnScreen(QWidget& dialog);
