#pragma once

// How a dialog's frame looks and where it stands, told to the window manager.

class QWidget;

// Asks for a caption bar with a close box only (the dialog can be moved and
// closed, not minimized, maximized or resized) and, with `centre`, moves the
// dialog so that its whole frame, caption bar included, is centred on the
// primary screen; the window manager is asked first for the frame it will
// give the window. Call from showEvent: the native window exists and is not
// mapped yet.
void PrepareDialogFrame(QWidget& dialog, bool centre);

// Shows the dialog in front and active, restored if the user minimized it:
// with no task bar a minimized dialog would be lost.
void BringDialogForward(QWidget& dialog);
