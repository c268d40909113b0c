#ifndef MLOCALE_H
#define MLOCALE_H

#include "mtouch_export.h"

#include <QLocale>
#include <QObject>

/// Formats numbers with the digits and grouping of a locale (the system's by default).
///
/// Formatting follows QLocale; use on the main thread.
class MTOUCH_EXPORT MLocale : public QObject
{
    Q_OBJECT
public:
    /// The default locale (QLocale()); \a parent owns it.
    explicit MLocale(QObject* parent = nullptr);
    /// The given \a locale; \a parent owns it.
    explicit MLocale(const QLocale& locale, QObject* parent = nullptr);
    /// \a number in the locale's digits, with its group separators.
    QString formatNumber(int number) const;
    /// The sign that formatNumber() puts before a negative number.
    QString negativeSign() const;

private:
    QLocale m_locale;
};

#endif
