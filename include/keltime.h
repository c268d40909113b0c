#ifndef KELTIME_H
#define KELTIME_H

#include "kelmora_export.h"

#include <QString>

/// Clock-style texts for durations and positions, in the digits of the device locale.
class KELMORA_EXPORT KelTime
{
public:
    /// 3 gives 00:03, 187 gives 03:07, 3725 gives 1:02:05; hours are never padded and grow
    /// without bound (grouped as the locale groups numbers). A negative value is written as
    /// the locale's minus sign before the text of its absolute value (-65 gives -01:05), so
    /// an unknown duration (-1, -2) reads as a small negative time rather than garbage.
    /// The locale is the default one at the first call; it is kept for the whole process.
    static QString timeString(int seconds);
};

#endif
