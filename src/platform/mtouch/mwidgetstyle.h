#ifndef MWIDGETSTYLE_H
#define MWIDGETSTYLE_H

#include "mstyle.h"

#include <QColor>
#include <QSize>

/// Attributes every widget has: margins, a preferred size and an optional background colour.
///
/// Each attribute is a property that a theme file sets by name (see docs/theme.md).
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
    /// A style with the defaults: no margins or background, no preferred size, white text of
    /// 20 pixels.
    MWidgetStyle();
    /// Called by MTheme when the last user gives the style back.
    ~MWidgetStyle() override;

    /// The space, in pixels, kept free inside the left edge.
    int marginLeft() const { return m_marginLeft; }
    /// Sets marginLeft().
    void setMarginLeft(int value) { m_marginLeft = value; }
    /// The space, in pixels, kept free inside the top edge.
    int marginTop() const { return m_marginTop; }
    /// Sets marginTop().
    void setMarginTop(int value) { m_marginTop = value; }
    /// The space, in pixels, kept free inside the right edge.
    int marginRight() const { return m_marginRight; }
    /// Sets marginRight().
    void setMarginRight(int value) { m_marginRight = value; }
    /// The space, in pixels, kept free inside the bottom edge.
    int marginBottom() const { return m_marginBottom; }
    /// Sets marginBottom().
    void setMarginBottom(int value) { m_marginBottom = value; }
    /// The widget's preferred size; invalid (the default) leaves it to the view.
    QSize preferredSize() const { return m_preferredSize; }
    /// Sets preferredSize().
    void setPreferredSize(const QSize& value) { m_preferredSize = value; }
    /// The colour filling the widget's rectangle; invalid (the default): no background is drawn.
    QColor backgroundColor() const { return m_backgroundColor; }
    /// Sets backgroundColor().
    void setBackgroundColor(const QColor& value) { m_backgroundColor = value; }
    /// Text colour, for widgets that draw text.
    QColor color() const { return m_color; }
    /// Sets color().
    void setColor(const QColor& value) { m_color = value; }
    /// Text pixel size, for widgets that draw text.
    int fontSize() const { return m_fontSize; }
    /// Sets fontSize().
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
