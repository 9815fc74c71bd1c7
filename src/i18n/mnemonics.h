// Mnemonics of captions ("&" before the letter that Alt and that letter reach): chosen per group
// of captions shown together, so that no two of a group share one, in every language.
#pragma once

#include <QString>
#include <QStringList>

// The captions of one group with a mnemonic each, none of them one of aTaken (lower case), which
// receives the ones chosen. A caption's "&" are doubled first. Each takes the first letter of a
// word that is free, else any free letter or digit of the caption; a letter counts when one key
// types it (not a Han, kana or Hangul character). A caption with none free gets "(&X)" with the
// first free Latin letter, before its closing colon when it ends with one (as "名称(&N):"). An
// empty caption stays empty. Pure.
QStringList WithMnemonics(const QStringList &aCaptions, QString &aTaken);

// The caption as it reads: the mark of its mnemonic removed ("&&" stands for "&"), and a "(&X)"
// that WithMnemonics added dropped. Pure.
QString WithoutMnemonic(const QString &aCaption);
