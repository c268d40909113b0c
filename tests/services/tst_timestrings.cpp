// Clock texts in the process locale (KELMORA_TEST_LOCALE, en_US by default) and age labels.
#include "testmain.h"

#include <keldate.h>
#include <keltime.h>

#include <climits>

namespace {
// A moment of the day after 29 February 2024, or days before it, in local time.
QDateTime moment(int daysBefore, const char* time)
{
    return QDateTime(QDate(2024, 3, 1).addDays(-daysBefore),
                     QTime::fromString(QLatin1String(time), QStringLiteral("hh:mm:ss")));
}
} // namespace

class TestTimeStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Before the first timeString(), which keeps the locale of that moment.
        const QString name = qEnvironmentVariable("KELMORA_TEST_LOCALE", QStringLiteral("en_US"));
        QLocale::setDefault(QLocale(name));
        QCOMPARE(QLocale().name(), name);
    }

    void timeString_data()
    {
        QTest::addColumn<int>("seconds"); // the row name is the text expected, in ASCII
        QTest::newRow("00:09") << 9;
        QTest::newRow("59:59") << 3599;
        QTest::newRow("1:01:01") << 3661;
        QTest::newRow("596,523:14:07") << INT_MAX;
        QTest::newRow("-00:02") << -2; // an unknown duration of the play controls
        QTest::newRow("-596,523:14:08") << INT_MIN;
    }
    void timeString()
    {
        QFETCH(int, seconds);
        QString expected; // in the locale's digits, separator and sign (Qt 6's Arabic: a mark, '-')
        for (const QChar c : QString::fromLatin1(QTest::currentDataTag())) {
            expected += c.isDigit()             ? QLocale().toString(c.digitValue())
                        : c == QLatin1Char(',') ? QString(QLocale().groupSeparator())
                        : c == QLatin1Char('-') ? QString(QLocale().negativeSign())
                                                : QString(c);
        }
        QCOMPARE(KelTime::timeString(seconds), expected);
    }

    void ageLabel_data()
    {
        QTest::addColumn<QDateTime>("then");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("label");
        const auto row = [](const char* name, int days, const char* then, const char* now,
                            const char* label) {
            QTest::newRow(name) << moment(days, then) << moment(0, now)
                                << QString::fromLatin1(label);
        };
        row("today, a day apart", 0, "00:00:00", "23:59:59", "Today");
        row("before midnight", 1, "23:59:59", "00:00:01", "Yesterday");
        row("two days", 2, "23:59:59", "00:00:00", "Week ago");
        row("29 days", 29, "00:00:00", "23:00:00", "Week ago");
        row("30 days", 30, "23:59:59", "00:00:00", "Month ago");
        row("tomorrow", -1, "00:00:00", "23:59:59", "Week ago");
        // Two minutes earlier on the local calendar, written with an offset an hour behind,
        // which puts it on the day before by its own clock.
        const QDateTime now = moment(0, "00:05:00");
        QTest::newRow("other offset")
            << now.addSecs(-120).toOffsetFromUtc(now.offsetFromUtc() - 3600) << now
            << QStringLiteral("Today");
        QTest::newRow("invalid") << QDateTime() << now << QString();
    }
    void ageLabel()
    {
        QFETCH(QDateTime, then);
        QFETCH(QDateTime, now);
        QFETCH(QString, label);
        QCOMPARE(KelDate::abstractDateDaysAgo(then, now), label);
    }
};

KELMORA_TEST_MAIN(TestTimeStrings)
#include "tst_timestrings.moc"
