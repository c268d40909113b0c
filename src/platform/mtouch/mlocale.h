#ifndef MLOCALE_H
#define MLOCALE_H

#include "mtouchglobal.h"

#include <QLocale>
#include <QObject>

// Formats numbers with the digits and grouping of a locale (the system's by default).
class MTOUCH_EXPORT MLocale : public QObject
{
    Q_OBJECT
public:
    explicit MLocale(QObject* parent = nullptr);
    explicit MLocale(const QLocale& locale, QObject* parent = nullptr);
    QString formatNumber(int number) const;
    // The sign that formatNumber() puts before a negative number.
    QString negativeSign() const;

private:
    QLocale m_locale;
};

#endif
