// The value of a date picker as the program's day count, both ways.
#pragma once

#include "platform/file_time.h"

class QDateTimeEdit;

// The picker's date and time as a day count since 1899-12-30.
TDateTime DateTimeValue(const QDateTimeEdit &aEdit);
// Shows aValue; a value that cannot be a date (not finite, past 9999) leaves the picker as it is.
void SetDateTimeValue(QDateTimeEdit &aEdit, TDateTime aValue);
