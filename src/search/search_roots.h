// The folders a search covers, taken from the selection list's entries: the roots handed to the
// result list's Search and the lines of the where-to-search list; the folder tree's archive filter.
#pragma once

#include <optional>
#include <QString>
#include <QStringList>

// The folder of a selection entry that stands for a folder with everything below it
// ("<folder>/*"): the entry without its "/*", and "/" for the root entry "/*". Nothing for any
// other entry (a single ticked file, even one whose name ends in "*"). Pure.
std::optional<QString> FolderOfSelectionEntry(const QString &aEntry);

// The where-to-search list: the folder of each folder entry of aPaths, in order, when a folder
// (or a link to one) exists there now. Single files and vanished folders are left out.
// Any thread; touches the file system once per folder entry; never raises.
QStringList WhereToSearchLines(const QStringList &aPaths);

// Whether the folder tree may show the folder at aPath: not when its name ends in ".zip" or
// ".rar" exactly as written (an archive that presents itself as a folder). Pure.
bool FolderTreeAcceptsFolder(const QString &aPath);
