#include "mafwcoverartstore.h"

#include "mafwlogging_p.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

QString MafwCoverArtStore::directory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/kelmora/covers");
}

QUrl MafwCoverArtStore::store(const QByteArray& image, const QString& mimeType)
{
    if (image.isEmpty()) {
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
    if (!QFile::exists(path)) {
        QSaveFile file(path);
        if (!QDir().mkpath(dir) || !file.open(QIODevice::WriteOnly) || file.write(image) < 0 ||
            !file.commit()) {
            qCWarning(lcMafw).noquote() << QStringLiteral("cannot store cover art in %1").arg(dir);
            return QUrl();
        }
    }
    return QUrl::fromLocalFile(path);
}
