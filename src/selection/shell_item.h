// TZorShellItem: the small value that stands for a shell item identifier (PIDL) between the
// folder tree, the shell link and the selection list: no item, a file-system path, or one of
// the special folders.
#pragma once

#include <QString>

enum TZorSpecialFolder
{
    SF_DESKTOP, // the desktop folder: the XDG desktop folder, else the home folder
    SF_DRIVES,  // the computer's drives: a virtual folder with no path of its own
    SF_NETWORK  // the network: a virtual folder with no path of its own
};

class TZorShellItem
{
public:
    // No item ("nil": every item, where an operation takes one).
    TZorShellItem() = default;
    // The item at a file-system path; an empty path gives no item.
    static TZorShellItem FromPath(const QString &aPath);
    static TZorShellItem FromSpecialFolder(TZorSpecialFolder aFolder);

    bool IsNull() const { return fKind == kNone; }
    bool IsSpecialFolder(TZorSpecialFolder aFolder) const { return fKind == kSpecial && fFolder == aFolder; }
    // The file-system path: the path given, the desktop folder for SF_DESKTOP, and "" for no
    // item, SF_DRIVES and SF_NETWORK. Any thread.
    QString Path() const;

    bool operator==(const TZorShellItem &aOther) const;

private:
    enum TKind
    {
        kNone,
        kPath,
        kSpecial
    };
    TKind fKind = kNone;
    TZorSpecialFolder fFolder = SF_DESKTOP;
    QString fPath;
};
