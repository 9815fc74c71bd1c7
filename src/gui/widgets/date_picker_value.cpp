// The value of a date picker as the program's day count, both ways.
#include "gui/widgets/date_picker_value.h"

#include <QDateTimeEdit>

TDateTime DateTimeValue(const QDateTimeEdit &aEdit)
{
    const QDateTime value = aEdit.dateTime();
    return EncodeDateTime(value.date(), value.time());
}

void SetDateTimeValue(QDateTimeEdit &aEdit, TDateTime aValue)
{
    QDate date;
    QTime time;
    if (DecodeDateTime(aValue, date, time))
        aEdit.setDateTime(QDateTime(date, time));
}
