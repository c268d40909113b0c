#ifndef KELTHEMEPIXMAP_P_H
#define KELTHEMEPIXMAP_P_H

#include <mtheme.h>

// A theme pixmap held for one paint and given back to the theme when it goes; never null.
class KelThemePixmap
{
public:
    KelThemePixmap(const QString& id, const QSize& size) : m_pixmap(MTheme::pixmap(id, size)) {}
    ~KelThemePixmap() { MTheme::releasePixmap(m_pixmap); }
    KelThemePixmap(const KelThemePixmap&) = delete;
    KelThemePixmap& operator=(const KelThemePixmap&) = delete;

    const QPixmap& operator*() const { return *m_pixmap; }
    const QPixmap* get() const { return m_pixmap; }

private:
    const QPixmap* m_pixmap;
};

#endif
