#ifndef MWIDGETSTYLE_H
#define MWIDGETSTYLE_H

#include "mstyle.h"

#include <QColor>
#include <QSize>

// Attributes every widget has: margins, a preferred size and an optional background colour.
class MTOUCH_EXPORT MWidgetStyle : public MStyle
{
    Q_OBJECT
    Q_PROPERTY(int marginLeft READ marginLeft WRITE setMarginLeft)
    Q_PROPERTY(int marginTop READ marginTop WRITE setMarginTop)
    Q_PROPERTY(int marginRight READ marginRight WRITE setMarginRight)
    Q_PROPERTY(int marginBottom READ marginBottom WRITE setMarginBottom)
    Q_PROPERTY(QSize preferredSize READ preferredSize WRITE setPreferredSize)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(int fontSize READ fontSize WRITE setFontSize)

public:
    MWidgetStyle();
    ~MWidgetStyle() override;

    int marginLeft() const { return m_marginLeft; }
    void setMarginLeft(int value) { m_marginLeft = value; }
    int marginTop() const { return m_marginTop; }
    void setMarginTop(int value) { m_marginTop = value; }
    int marginRight() const { return m_marginRight; }
    void setMarginRight(int value) { m_marginRight = value; }
    int marginBottom() const { return m_marginBottom; }
    void setMarginBottom(int value) { m_marginBottom = value; }
    QSize preferredSize() const { return m_preferredSize; }
    void setPreferredSize(const QSize& value) { m_preferredSize = value; }
    // Invalid: no background is drawn.
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& value) { m_backgroundColor = value; }
    // Text colour and pixel size, for widgets that draw text.
    QColor color() const { return m_color; }
    void setColor(const QColor& value) { m_color = value; }
    int fontSize() const { return m_fontSize; }
    void setFontSize(int value) { m_fontSize = value; }

private:
    int m_marginLeft = 0;
    int m_marginTop = 0;
    int m_marginRight = 0;
    int m_marginBottom = 0;
    QSize m_preferredSize{-1, -1};
    QColor m_backgroundColor;
    QColor m_color{Qt::white};
    int m_fontSize = 20;
};

#endif
