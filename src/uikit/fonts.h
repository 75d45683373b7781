#pragma once

// The launcher's windows ask for the faces their design names ("宋体",
// "MS Sans Serif"); these are mapped once to faces installed here.

#include <QFont>
#include <QString>
#include <QStringList>

inline const QString kSongFamily = QStringLiteral("宋体");
inline const QString kSansFamily = QStringLiteral("MS Sans Serif");

// Of the installed candidates, the one whose 13-pixel glyphs come closest to
// 13 pixels for a Chinese character and 7 for an ASCII one, preferring faces
// that show every character the program writes in it. Empty when none is
// installed.
QString ClosestSongFace(const QStringList& candidates);

// Every character the program writes in the Song face; the face is chosen
// by them.
QString SongText();

// ClosestSongFace of Debian's two Song faces, chosen once, on whichever
// thread asks first.
const QString& SongFace();

// Maps the design's family names to installed faces. Safe to call repeatedly,
// from the user-interface thread only: Qt reads the map unguarded.
void InstallFontSubstitutions();

// The Song face at a pixel size, drawn without smoothing: at these sizes the
// face shows its crisp bitmap strokes.
QFont SongFont(int pixelSize);
