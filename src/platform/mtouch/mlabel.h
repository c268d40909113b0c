#ifndef MLABEL_H
#define MLABEL_H

#include "mstylablewidget.h"

/// One line of text in the style's colour and pixel size, inside the style's margins.
///
/// Styled as "MWidgetStyle" under its style name. Main thread only.
class MTOUCH_EXPORT MLabel : public MStylableWidget
{
    Q_OBJECT
public:
    /// An empty label; \a parent (an item) owns it.
    explicit MLabel(QGraphicsItem* parent = nullptr);
    /// A label showing \a text; \a parent (an item) owns it.
    explicit MLabel(const QString& text, QGraphicsItem* parent = nullptr);
    /// Destroys the label.
    ~MLabel() override;

    /// The text shown.
    QString text() const { return m_text; }
    /// Sets the text; a change asks for a new layout and repaints.
    void setText(const QString& text);
    /// Whether text too wide for the label ends in an ellipsis (false by default: clipped).
    bool textElide() const { return m_elide; }
    /// Sets textElide(); an eliding label asks for a minimum width of about three characters.
    void setTextElide(bool elide);
    /// Where the text sits inside the margins; left and vertically centred by default.
    Qt::Alignment alignment() const { return m_alignment; }
    /// Sets alignment() and repaints.
    void setAlignment(Qt::Alignment alignment);

    /// Paints the view's background, then the text.
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    /// The text's size plus the margins (preferred and minimum); the base's for the others.
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint = QSizeF()) const override;

private:
    QFont font() const;

    QString m_text;
    bool m_elide = false;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

#endif
