#include "mafwcoverartstore.h"

#include "mafwlogging_p.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Marks path as the most recently stored picture: times strictly increase within a process.
void touch(const QString& path)
{
    static qint64 last = 0;
    last = qMax(QDateTime::currentMSecsSinceEpoch(), last + 1);
    QFile file(path);
    if (file.open(QIODevice::ReadWrite)) {
        file.setFileTime(QDateTime::fromMSecsSinceEpoch(last), QFileDevice::FileModificationTime);
    }
}

// Removes the least recently stored pictures beyond the bounds, never keep itself.
void prune(const QString& dir, const QString& keep)
{
    const QFileInfoList files =
        QDir(dir).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::Time);
    int count = 0;
    qint64 total = 0;
    for (const QFileInfo& file : files) { // newest first
        ++count;
        total += file.size();
        if (file.filePath() != keep &&
            (count > MafwCoverArtStore::MaxFiles || total > MafwCoverArtStore::MaxTotalBytes)) {
            QFile::remove(file.filePath());
            --count;
            total -= file.size();
        }
    }
}

} // namespace

QString MafwCoverArtStore::directory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/kelmora/covers");
}

QUrl MafwCoverArtStore::store(const QByteArray& image, const QString& mimeType)
{
    if (image.isEmpty() || image.size() > MaxImageBytes) {
        return QUrl();
    }
    const QString suffix = mimeType == QLatin1String("image/png")    ? QStringLiteral(".png")
                           : mimeType == QLatin1String("image/jpeg") ? QStringLiteral(".jpg")
                                                                     : QStringLiteral(".img");
    const QString dir = directory();
    const QString path =
        dir + QLatin1Char('/') +
        QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha1).toHex()) +
        suffix;
    // A link planted under the name is replaced, never written through.
    if (!QFile::exists(path) || QFileInfo(path).isSymLink()) {
        QSaveFile file(path);
        if (!QDir().mkpath(dir) || !file.open(QIODevice::WriteOnly) || file.write(image) < 0 ||
            !file.commit()) {
            qCWarning(lcMafw).noquote() << QStringLiteral("cannot store cover art in %1").arg(dir);
            return QUrl();
        }
    }
    touch(path);
    prune(dir, path);
    return QUrl::fromLocalFile(path);
}
