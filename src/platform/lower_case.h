// Lower-case mapping one UTF-16 unit for one, so text positions never move.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

// The lower-case form of one UTF-16 unit; a unit without a one-unit lower case (surrogates
// included) stays as it is. Pure; any thread.
inline char16_t LowerCaseUnit(char16_t aUnit)
{
    if (aUnit < 0x80)
        return (aUnit >= u'A' && aUnit <= u'Z') ? char16_t(aUnit + 32) : aUnit;
    return QChar::toLower(aUnit);
}

// Text with every unit lower-cased by LowerCaseUnit; same length. Pure; any thread.
QString LowerCasePerUnit(QStringView aText);
