// The commands the result list carries out on its selected files: the shell actions, a command
// record built from an action or a verb, and which key leads to which action.
#pragma once

#include <QFlags>
#include <QString>

// The shell actions, in this order.
enum TShellAction : int
{
    saDefault,
    saOpen,
    saExplore,
    saCopy,
    saCut,
    saPaste,
    saDelete,
    saRename,
    saProperties,
    saCopyPath,
    saPinToHome,
    saCreateNewFolder,
    saOpenCommandPrompt,
    saDeleteNoUndo,
    saBdeUnlock,
    saUnknown
};

enum TOperationOption : int
{
    soAllowUndo = 0x001,
    soFilesOnly = 0x002,
    soNoConfirmation = 0x004,
    soNoConfirmMkDir = 0x008,
    soNoErrorUI = 0x010,
    soRenameCollision = 0x020,
    soSilent = 0x040,
    soSimpleProgress = 0x080,
    soAsync = 0x100,
    soKeepNewer = 0x200
};
Q_DECLARE_FLAGS(TOperationOptions, TOperationOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOperationOptions)

// One action to carry out on the selected items. A plain value.
struct TShellCommand
{
    TShellAction fCommand = saUnknown;
    // The verb; filled from fCommand by Verb() when empty.
    QString fVerb;
    // Target folder of copy-like actions; empty for the result list's commands.
    QString Destination;
    TOperationOptions OperationOptions;

    // The command of pAction, its verb not yet filled.
    static TShellCommand FromAction(TShellAction pAction);
    // The command named by pVerb (compared without regard to case): the action of that verb, or
    // saUnknown with pVerb kept as the verb when it names no known action.
    static TShellCommand FromVerb(const QString &pVerb);
    // The verb, filled from fCommand on first use.
    const QString &Verb();
};

// The verb of an action: "default", "open", "explore", "copy", "cut", "paste", "delete",
// "rename", "properties", "copypath", ...; "" for saUnknown.
QString VerbOfAction(TShellAction pAction);
// The action of a verb (without regard to case); saUnknown when it names none.
TShellAction ActionOfVerb(const QString &pVerb);

// What a key pressed in the result list does (when no caption is being edited).
enum TListKeyEffect : int
{
    lkNone,
    lkCommand,
    lkSelectAll,
    lkRefresh,
    lkCopyRows // the selected rows as text
};

struct TListKeyAction
{
    TListKeyEffect fEffect = lkNone;
    TShellAction fCommand = saUnknown; // for lkCommand
    // Whether the key ends here (false: it goes on to the window as usual).
    bool fConsumed = false;
};

// The key table of the result list: Enter (saDefault; with Alt saProperties), Ctrl+A (select
// all), Ctrl+C (saCopy), Ctrl+V / Ctrl+X (saPaste / saCut unless read-only), F2 (saRename when an
// item is selected), F5 (refresh), Delete (saDelete unless read-only). pKey is a Qt::Key. Pure.
TListKeyAction ListKeyAction(int pKey, Qt::KeyboardModifiers pModifiers, bool pReadOnly, bool pHasSelection);
