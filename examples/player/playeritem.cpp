#include "playeritem.h"

#include <QFileInfo>

QString PlayerItem::displayTitle() const
{
    if (!title.isEmpty()) {
        return title;
    }
    const QString name = QFileInfo(url.path()).completeBaseName();
    return name.isEmpty() ? url.toDisplayString() : name;
}
