#include "launch/gamefolders.h"

QString ProgramDataFolder(const QString& driveRoot) {
  return driveRoot + QStringLiteral("var/opt/");
}

QString PlayshareFolder(const QString& driveRoot) {
  return ProgramDataFolder(driveRoot) + QStringLiteral("Playshare/");
}

QString SharedGameFolder(const QString& driveRoot) {
  return PlayshareFolder(driveRoot) + QStringLiteral("pbox/");
}

QString FallbackGameFolder(const QString& programFolder) {
  return programFolder + QStringLiteral("Common/");
}

QString MovieFileName(const QString& stem) {
  return stem + QStringLiteral(".swf");
}

QString GameServerAddress() {
  return QStringLiteral(QUILLET_GAME_SERVER);
}

QString GameDownloadUrl(const QString& serverAddress, const QString& stem) {
  return serverAddress + QStringLiteral("/soft/Playbox/Playshare/") + MovieFileName(stem);
}

QString HelpPageUrl(const QString& serverAddress) {
  return serverAddress + QStringLiteral("/soft/Playbox/help.htm");
}
