// Tests of the result list's commands without widgets: actions and verbs, the key table.
#include "filesearch/shell_command.h"

#include <gtest/gtest.h>

namespace {

TEST(ShellCommandTest, ActionsKeepTheirNumbers)
{
    EXPECT_EQ(int(saDefault), 0);
    EXPECT_EQ(int(saRename), 7);
    EXPECT_EQ(int(saCopyPath), 9);
    EXPECT_EQ(int(saUnknown), 15);
}

TEST(ShellCommandTest, TheEightNamedVerbsGiveTheirActions)
{
    const std::pair<const char *, TShellAction> verbs[] = {
        {"default", saDefault}, {"open", saOpen},     {"copy", saCopy},     {"cut", saCut},
        {"paste", saPaste},     {"delete", saDelete}, {"rename", saRename}, {"properties", saProperties}};
    for (const auto &[verb, action] : verbs) {
        TShellCommand command = TShellCommand::FromVerb(QString::fromLatin1(verb));
        EXPECT_EQ(command.fCommand, action) << verb;
        EXPECT_EQ(command.Verb(), QString::fromLatin1(verb));
    }
    EXPECT_EQ(TShellCommand::FromVerb(QStringLiteral("Rename")).fCommand, saRename);
}

TEST(ShellCommandTest, AnUnknownVerbIsKeptWithSaUnknown)
{
    TShellCommand command = TShellCommand::FromVerb(QStringLiteral("printto"));
    EXPECT_EQ(command.fCommand, saUnknown);
    EXPECT_EQ(command.Verb(), QStringLiteral("printto"));
    EXPECT_EQ(TShellCommand::FromVerb(QString()).fCommand, saUnknown);
}

TEST(ShellCommandTest, TheVerbIsFilledFromTheActionOnFirstUse)
{
    TShellCommand command = TShellCommand::FromAction(saCut);
    EXPECT_TRUE(command.fVerb.isEmpty());
    EXPECT_TRUE(command.Destination.isEmpty());
    EXPECT_FALSE(command.OperationOptions);
    EXPECT_EQ(command.Verb(), QStringLiteral("cut"));
    EXPECT_EQ(command.fVerb, QStringLiteral("cut"));
    for (int action = saDefault; action < saUnknown; ++action)
        EXPECT_EQ(ActionOfVerb(VerbOfAction(TShellAction(action))), TShellAction(action));
    EXPECT_TRUE(VerbOfAction(saUnknown).isEmpty());
}

struct TKeyCase
{
    int fKey;
    Qt::KeyboardModifiers fModifiers;
    bool fReadOnly;
    bool fHasSelection;
    TListKeyEffect fEffect;
    TShellAction fCommand;
    bool fConsumed;
};

class ListKeyTable : public ::testing::TestWithParam<TKeyCase>
{
};

TEST_P(ListKeyTable, KeyGivesItsAction)
{
    const TKeyCase &c = GetParam();
    const TListKeyAction action = ListKeyAction(c.fKey, c.fModifiers, c.fReadOnly, c.fHasSelection);
    EXPECT_EQ(action.fEffect, c.fEffect);
    if (c.fEffect == lkCommand) {
        EXPECT_EQ(action.fCommand, c.fCommand);
    }
    EXPECT_EQ(action.fConsumed, c.fConsumed);
}

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

INSTANTIATE_TEST_SUITE_P(
    Keys, ListKeyTable,
    ::testing::Values(TKeyCase{Qt::Key_Return, kNone, false, true, lkCommand, saDefault, true},
                      TKeyCase{Qt::Key_Enter, Qt::KeypadModifier, false, true, lkCommand, saDefault, true},
                      TKeyCase{Qt::Key_Return, Qt::AltModifier, false, true, lkCommand, saProperties, true},
                      TKeyCase{Qt::Key_A, kCtrl, true, false, lkSelectAll, saUnknown, true},
                      TKeyCase{Qt::Key_A, kNone, false, true, lkNone, saUnknown, false},
                      TKeyCase{Qt::Key_C, kCtrl, true, true, lkCommand, saCopy, true},
                      TKeyCase{Qt::Key_V, kCtrl, false, true, lkCommand, saPaste, true},
                      TKeyCase{Qt::Key_V, kCtrl, true, true, lkNone, saUnknown, false},
                      TKeyCase{Qt::Key_X, kCtrl, false, true, lkCommand, saCut, true},
                      TKeyCase{Qt::Key_X, kCtrl, true, true, lkNone, saUnknown, false},
                      TKeyCase{Qt::Key_F2, kNone, false, true, lkCommand, saRename, false},
                      TKeyCase{Qt::Key_F2, kNone, false, false, lkNone, saUnknown, false},
                      TKeyCase{Qt::Key_F5, kNone, false, false, lkRefresh, saUnknown, false},
                      TKeyCase{Qt::Key_Delete, kNone, false, true, lkCommand, saDelete, false},
                      TKeyCase{Qt::Key_Delete, kNone, true, true, lkNone, saUnknown, false},
                      TKeyCase{Qt::Key_Space, kNone, false, true, lkNone, saUnknown, false}));

} // namespace
