#include "mlocale.h"

MLocale::MLocale(QObject* parent) : QObject(parent) {}

MLocale::MLocale(const QLocale& locale, QObject* parent) : QObject(parent), m_locale(locale) {}

QString MLocale::formatNumber(int number) const
{
    return m_locale.toString(number);
}

QString MLocale::negativeSign() const
{
    return m_locale.negativeSign();
}
