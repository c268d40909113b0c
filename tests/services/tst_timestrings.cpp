// Clock texts in the process locale (KELMORA_TEST_LOCALE, en_US by default) and age labels.
#include "testmain.h"

#include <keldate.h>
#include <keltime.h>

#include <climits>

namespace {
// The expected text written in ASCII, turned into the digits and grouping of the test locale.
QString inTestLocale(const QString& ascii)
{
    if (QLocale().language() != QLocale::Arabic) {
        return ascii;
    }
    QString text = ascii;
    for (QChar& c : text) {
        if (c.isDigit()) {
            c = QChar(0x0660 + c.digitValue()); // Arabic-Indic digits
        } else if (c == QLatin1Char(',')) {
            c = QChar(0x066C); // Arabic thousands separator
        }
    }
    return text;
}

QDateTime local(int daysFromReference, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2024, 3, 1).addDays(daysFromReference), QTime(hour, minute, second));
}
} // namespace

class TestTimeStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Before the first timeString(), which keeps the locale of that moment.
        QLocale::setDefault(
            QLocale(qEnvironmentVariable("KELMORA_TEST_LOCALE", QStringLiteral("en_US"))));
    }

    void timeString_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("ascii");
        const QList<QPair<int, const char*>> rows = {{0, "00:00"},
                                                     {9, "00:09"},
                                                     {59, "00:59"},
                                                     {60, "01:00"},
                                                     {599, "09:59"},
                                                     {600, "10:00"},
                                                     {3599, "59:59"},
                                                     {3600, "1:00:00"},
                                                     {3661, "1:01:01"},
                                                     {36000, "10:00:00"},
                                                     {360000, "100:00:00"},
                                                     {3600000, "1,000:00:00"},
                                                     {-1, "-00:01"},
                                                     {-2, "-00:02"},
                                                     {-3661, "-1:01:01"},
                                                     {INT_MAX, "596,523:14:07"},
                                                     {INT_MIN, "-596,523:14:08"}};
        for (const auto& row : rows) {
            QTest::addRow("%d", row.first) << row.first << QString::fromLatin1(row.second);
        }
    }
    void timeString()
    {
        QFETCH(int, seconds);
        QFETCH(QString, ascii);
        QCOMPARE(KelTime::timeString(seconds), inTestLocale(ascii));
    }

    void ageLabel_data()
    {
        QTest::addColumn<QDateTime>("then");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("label");
        const QString today = QStringLiteral("Today");
        const QString yesterday = QStringLiteral("Yesterday");
        const QString week = QStringLiteral("Week ago");
        const QString month = QStringLiteral("Month ago");
        QTest::newRow("earlier today") << local(0, 0) << local(0, 23, 59, 59) << today;
        QTest::newRow("later today") << local(0, 23) << local(0, 1) << today;
        QTest::newRow("just before midnight") << local(-1, 23, 59) << local(0, 0, 1) << yesterday;
        QTest::newRow("yesterday's start") << local(-1, 0) << local(0, 23, 59, 59) << yesterday;
        QTest::newRow("two days") << local(-2, 23, 59) << local(0, 0) << week;
        QTest::newRow("29 days") << local(-29, 0) << local(0, 23) << week;
        QTest::newRow("30 days") << local(-30, 23) << local(0, 0) << month;
        QTest::newRow("a year") << local(-366, 12) << local(0, 12) << month;
        QTest::newRow("tomorrow") << local(1, 0) << local(0, 23, 59, 59) << week;
        // Two minutes earlier on the local calendar, written with an offset an hour behind,
        // which puts it on the day before by its own clock.
        const QDateTime now = local(0, 0, 5);
        QTest::newRow("other offset")
            << now.addSecs(-120).toOffsetFromUtc(now.offsetFromUtc() - 3600) << now << today;
    }
    void ageLabel()
    {
        QFETCH(QDateTime, then);
        QFETCH(QDateTime, now);
        QFETCH(QString, label);
        QCOMPARE(KelDate::abstractDateDaysAgo(then, now), label);
    }

    void ageLabelNow_data()
    {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<QString>("label");
        QTest::newRow("today") << 0 << QStringLiteral("Today");
        QTest::newRow("yesterday") << 1 << QStringLiteral("Yesterday");
        QTest::newRow("two days") << 2 << QStringLiteral("Week ago");
        QTest::newRow("30 days") << 30 << QStringLiteral("Month ago");
        QTest::newRow("tomorrow") << -1 << QStringLiteral("Week ago");
    }
    void ageLabelNow()
    {
        QFETCH(int, daysAgo);
        QFETCH(QString, label);
        QString seen;
        QDate today;
        do { // again if midnight passed meanwhile
            today = QDate::currentDate();
            QDateTime then(today.addDays(-daysAgo), QTime(12, 0));
            const QDateTime before = then;
            seen = KelDate::abstractDateDaysAgo(then);
            QCOMPARE(then, before);
        } while (today != QDate::currentDate());
        QCOMPARE(seen, label);
    }
};

KELMORA_TEST_MAIN(TestTimeStrings)
#include "tst_timestrings.moc"
