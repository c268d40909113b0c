#ifndef KELTHEMEPIXMAP_P_H
#define KELTHEMEPIXMAP_P_H

#include <mtheme.h>

#include <QPainter>

// A theme pixmap held for one paint and given back to the theme when it goes; never null.
// Made for the pixel ratio of the device painted on, so that it is drawn at size and sharp.
class KelThemePixmap
{
public:
    KelThemePixmap(const QString& id, const QSize& size, const QPainter* painter)
        : m_pixmap(MTheme::pixmap(
              id, size,
              painter && painter->device() ? painter->device()->devicePixelRatioF() : 1.0))
    {
    }
    ~KelThemePixmap() { MTheme::releasePixmap(m_pixmap); }
    KelThemePixmap(const KelThemePixmap&) = delete;
    KelThemePixmap& operator=(const KelThemePixmap&) = delete;

    const QPixmap& operator*() const { return *m_pixmap; }
    const QPixmap* get() const { return m_pixmap; }

private:
    const QPixmap* m_pixmap;
};

#endif
