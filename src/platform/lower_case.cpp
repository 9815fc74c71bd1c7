// Per-unit lower-case mapping of whole texts.
#include "platform/lower_case.h"

QString LowerCasePerUnit(QStringView aText)
{
    QString lowered(aText.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(lowered.data());
    const char16_t *in = aText.utf16();
    for (qsizetype i = 0; i < aText.size(); ++i)
        out[i] = LowerCaseUnit(in[i]);
    return lowered;
}
