// Choosing mnemonics: word starts first, then any letter, then an added Latin letter.
#include "i18n/mnemonics.h"

#include <QRegularExpression>

namespace {

// Whether one key press types aUnit on a keyboard of its script.
bool IsMnemonicCandidate(QChar aUnit)
{
    if (!aUnit.isLetterOrNumber() || aUnit.isSurrogate())
        return false;
    switch (aUnit.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
        return false;
    default:
        return true;
    }
}

// The index in aCaption of the unit to mark, or -1 when no unit is free.
qsizetype ChooseUnit(const QString &aCaption, const QString &aTaken)
{
    const auto isFree = [&](qsizetype aAt) {
        return IsMnemonicCandidate(aCaption[aAt]) && !aTaken.contains(aCaption[aAt].toLower());
    };
    for (qsizetype at = 0; at < aCaption.size(); ++at)
        if ((at == 0 || !aCaption[at - 1].isLetterOrNumber()) && isFree(at))
            return at;
    for (qsizetype at = 0; at < aCaption.size(); ++at)
        if (isFree(at))
            return at;
    return -1;
}

// Where an added "(&X)" goes: before a closing colon and the white space before it.
qsizetype AddedMarkPosition(const QString &aCaption)
{
    qsizetype end = aCaption.size();
    if (end > 0 && (aCaption[end - 1] == u':' || aCaption[end - 1] == u'\uFF1A'))
        --end;
    while (end > 0 && aCaption[end - 1].isSpace())
        --end;
    return end;
}

} // namespace

QStringList WithMnemonics(const QStringList &aCaptions, QString &aTaken)
{
    QStringList result;
    for (const QString &caption : aCaptions) {
        QString escaped = caption;
        escaped.replace(u'&', QStringLiteral("&&"));
        if (caption.trimmed().isEmpty()) {
            result << escaped;
            continue;
        }
        const qsizetype at = ChooseUnit(caption, aTaken);
        if (at >= 0) {
            aTaken += caption[at].toLower();
            // Each "&" before the chosen unit was doubled.
            result << escaped.insert(at + caption.first(at).count(u'&'), u'&');
            continue;
        }
        QChar added;
        for (char16_t letter = u'a'; letter <= u'z' && added.isNull(); ++letter)
            if (!aTaken.contains(QChar(letter)))
                added = QChar(letter);
        if (added.isNull()) {
            result << escaped;
            continue;
        }
        aTaken += added;
        const qsizetype position = AddedMarkPosition(escaped);
        result << escaped.insert(position, QStringLiteral("(&") + added.toUpper() + u')');
    }
    return result;
}

QString WithoutMnemonic(const QString &aCaption)
{
    static const QRegularExpression added(QStringLiteral("\\(&[A-Z]\\)"));
    QString caption = aCaption;
    caption.remove(added);
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype at = 0; at < caption.size(); ++at) {
        if (caption[at] == u'&' && at + 1 < caption.size())
            ++at; // "&&" stands for "&"; "&X" for X
        plain += caption[at];
    }
    return plain;
}
