#pragma once

#include <QString>

// Where a game's movie can be, and the game server's addresses; folders end with "/".

// Variable data of programs in /opt, standing where Windows has "Program Files".
QString ProgramDataFolder(const QString& driveRoot);       // root + "var/opt/"
QString PlayshareFolder(const QString& driveRoot);         // ... + "Playshare/"
QString SharedGameFolder(const QString& driveRoot);        // ... + "Playshare/pbox/"
QString FallbackGameFolder(const QString& programFolder);  // program folder + "Common/"

QString MovieFileName(const QString& stem);  // stem + ".swf", the stem verbatim

// The game server built into the program, without a trailing slash.
QString GameServerAddress();
QString GameDownloadUrl(const QString& serverAddress, const QString& stem);
QString HelpPageUrl(const QString& serverAddress);
