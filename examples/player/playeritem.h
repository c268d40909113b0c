#ifndef PLAYERITEM_H
#define PLAYERITEM_H

#include <QString>
#include <QUrl>

// One thing to play and what is known about it so far.
struct PlayerItem
{
    static constexpr int UnknownDuration = -1;

    QUrl url;
    QString title;
    QString artist;
    QString album;
    QUrl imageUrl;
    int duration = UnknownDuration; // seconds

    // The title, else the file name without its extension, else the URL.
    QString displayTitle() const;
};

#endif
