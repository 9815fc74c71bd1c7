// Where the program keeps its per-user files: the XDG config and cache folders, the settings folder and the
// file that stands in for the per-user registry key.
#pragma once

#include <QString>

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; empty when neither can be had.
// Reads the environment on every call, so tests can point it at a temporary folder. Any thread.
QString UserConfigFolder();

// $XDG_CACHE_HOME when it is an absolute path, else ~/.cache; empty when neither can be had.
// Reads the environment on every call. Any thread.
QString UserCacheFolder();

// The folder named after the application that holds "settings.dt": "$APPDATA/Ordwell" when
// APPDATA is set, else UserConfigFolder() + "/Ordwell", else the executable's folder +
// "/Ordwell". Does not create it. Any thread once the application object exists.
QString SettingsFolder();

// The per-user registry key of the program: UserConfigFolder() + "/Ordwell/Ordwell.conf", a
// QSettings INI file. Empty when no config folder can be had. Does not create anything.
QString RegistryFileName();
