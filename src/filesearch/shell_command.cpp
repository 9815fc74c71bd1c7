// The result list's shell actions, their verbs and its key table.
#include "filesearch/shell_command.h"

#include <array>

namespace {

// Verbs in the order of TShellAction (saUnknown has none).
constexpr std::array<const char16_t *, saUnknown> kVerbs = {
    u"default",    u"open",     u"explore",   u"copy",      u"cut", u"paste",        u"delete",    u"rename",
    u"properties", u"copypath", u"pintohome", u"newfolder", u"cmd", u"deletenoundo", u"unlock-bde"};

} // namespace

QString VerbOfAction(TShellAction pAction)
{
    if (pAction < 0 || pAction >= saUnknown)
        return {};
    return QString::fromUtf16(kVerbs[size_t(pAction)]);
}

TShellAction ActionOfVerb(const QString &pVerb)
{
    for (size_t i = 0; i < kVerbs.size(); ++i)
        if (pVerb.compare(QString::fromUtf16(kVerbs[i]), Qt::CaseInsensitive) == 0)
            return TShellAction(i);
    return saUnknown;
}

TShellCommand TShellCommand::FromAction(TShellAction pAction)
{
    TShellCommand command;
    command.fCommand = pAction;
    return command;
}

TShellCommand TShellCommand::FromVerb(const QString &pVerb)
{
    TShellCommand command;
    command.fCommand = ActionOfVerb(pVerb);
    command.fVerb = command.fCommand == saUnknown ? pVerb : VerbOfAction(command.fCommand);
    return command;
}

const QString &TShellCommand::Verb()
{
    if (fVerb.isEmpty())
        fVerb = VerbOfAction(fCommand);
    return fVerb;
}

TListKeyAction ListKeyAction(int pKey, Qt::KeyboardModifiers pModifiers, bool pReadOnly, bool pHasSelection)
{
    const bool ctrl = pModifiers.testFlag(Qt::ControlModifier);
    const bool alt = pModifiers.testFlag(Qt::AltModifier);
    auto command = [](TShellAction pAction, bool pConsumed) {
        return TListKeyAction{lkCommand, pAction, pConsumed};
    };
    switch (pKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return command(alt ? saProperties : saDefault, true);
    case Qt::Key_A:
        return ctrl ? TListKeyAction{lkSelectAll, saUnknown, true} : TListKeyAction{};
    case Qt::Key_C:
        if (ctrl && pModifiers.testFlag(Qt::ShiftModifier))
            return TListKeyAction{lkCopyRows, saUnknown, true};
        return ctrl ? command(saCopy, true) : TListKeyAction{};
    case Qt::Key_V:
        return ctrl && !pReadOnly ? command(saPaste, true) : TListKeyAction{};
    case Qt::Key_X:
        return ctrl && !pReadOnly ? command(saCut, true) : TListKeyAction{};
    case Qt::Key_F2:
        return pHasSelection ? command(saRename, false) : TListKeyAction{};
    case Qt::Key_F5:
        return TListKeyAction{lkRefresh, saUnknown, false};
    case Qt::Key_Delete:
        return pReadOnly ? TListKeyAction{} : command(saDelete, false);
    default:
        return {};
    }
}
