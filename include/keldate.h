#ifndef KELDATE_H
#define KELDATE_H

#include "kelmora_export.h"

#include <QDateTime>
#include <QString>

/// Coarse, untranslated labels for how long ago something happened.
class KELMORA_EXPORT KelDate
{
public:
    /// "Today", "Yesterday", "Week ago" (2 to 29 days, and any moment after today) or
    /// "Month ago" (30 days or more), counting midnights in local time up to now.
    /// dateTime is not changed; an invalid one gives an empty string.
    static QString abstractDateDaysAgo(QDateTime& dateTime);
    /// The same label, counted up to the moment now instead of the current time.
    static QString abstractDateDaysAgo(const QDateTime& dateTime, const QDateTime& now);
};

#endif
