#include "keldate.h"

namespace {
const qint64 Today = 0;
const qint64 Yesterday = 1;
const qint64 LastDayOfWeekAgo = 29;
} // namespace

QString KelDate::abstractDateDaysAgo(QDateTime& dateTime)
{
    return abstractDateDaysAgo(dateTime, QDateTime::currentDateTime());
}

QString KelDate::abstractDateDaysAgo(const QDateTime& dateTime, const QDateTime& now)
{
    // An invalid date is no day at all (daysTo would count it as today).
    if (!dateTime.isValid() || !now.isValid()) {
        return QString();
    }
    // Both in local time: a moment given in UTC or another offset is counted on the
    // calendar the user sees, not on its own.
    const qint64 days = dateTime.toLocalTime().date().daysTo(now.toLocalTime().date());
    if (days == Today) {
        return QStringLiteral("Today");
    }
    if (days == Yesterday) {
        return QStringLiteral("Yesterday");
    }
    if (days <= LastDayOfWeekAgo) {
        return QStringLiteral("Week ago");
    }
    return QStringLiteral("Month ago");
}
