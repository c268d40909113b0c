#include "keltime.h"

#include <mlocale.h>

namespace {
const int SecondsPerHour = 3600;
const int SecondsPerMinute = 60;
const int LargestOneDigit = 9;

// The locale of the default settings at first use, kept until the process ends.
const MLocale& sharedLocale()
{
    static const MLocale locale;
    return locale;
}

// Two digits at least, the padding zero in the locale's digits too.
QString padded(const MLocale& locale, int value)
{
    const QString text = locale.formatNumber(value);
    return value <= LargestOneDigit ? QStringLiteral("%1%2").arg(locale.formatNumber(0), text)
                                    : text;
}
} // namespace

QString KelTime::timeString(int seconds)
{
    const MLocale& locale = sharedLocale();
    // Split before taking the absolute value: the parts of INT_MIN all fit in an int.
    int hours = seconds / SecondsPerHour;
    const int rest = seconds - SecondsPerHour * hours;
    int minutes = rest / SecondsPerMinute;
    int secs = rest - SecondsPerMinute * minutes;
    QString text;
    if (seconds < 0) {
        text = locale.negativeSign();
        hours = -hours;
        minutes = -minutes;
        secs = -secs;
    }
    if (hours > 0) {
        text += QStringLiteral("%1:").arg(locale.formatNumber(hours));
    }
    text += QStringLiteral("%1:").arg(padded(locale, minutes));
    text += padded(locale, secs);
    return text;
}
