#ifndef TESTFILES_H
#define TESTFILES_H

#include <QBuffer>
#include <QtTest>

#include <initializer_list>
#include <utility>

// Writes a file whole, making its directory; false when it cannot.
inline bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// An image of one colour, encoded.
inline QByteArray encodedImage(int width, int height, const QColor& colour,
                               const char* format = "png",
                               QImage::Format pixels = QImage::Format_RGB32)
{
    QImage image(width, height, pixels);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, format) ? bytes : QByteArray();
}

// A theme directory: its theme.conf and 8 by 8 icons of one colour each.
inline bool writeTheme(const QString& dir, const QByteArray& conf,
                       std::initializer_list<std::pair<const char*, Qt::GlobalColor>> icons = {})
{
    bool written = writeFile(dir + QStringLiteral("/theme.conf"), conf);
    for (const auto& [id, colour] : icons) {
        written =
            written && writeFile(QStringLiteral("%1/icons/%2.png").arg(dir, QLatin1String(id)),
                                 encodedImage(8, 8, colour));
    }
    return written;
}

// Counts the warnings logged while it lives, passing them on.
class WarningCount
{
public:
    WarningCount()
    {
        s_count = 0;
        s_previous = qInstallMessageHandler(handler);
    }
    ~WarningCount() { qInstallMessageHandler(s_previous); }
    int count() const { return s_count; }

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        s_count += type == QtWarningMsg;
        s_previous(type, context, text);
    }
    static inline int s_count = 0;
    static inline QtMessageHandler s_previous = nullptr;
};

#endif
