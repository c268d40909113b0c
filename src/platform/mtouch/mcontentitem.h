#ifndef MCONTENTITEM_H
#define MCONTENTITEM_H

#include "mstylablewidget.h"

#include <QPixmap>

/// A list-like item: a picture, a title and a subtitle, and an optional picture at the end.
/// Emits clicked() on a release inside it after a press inside it.
///
/// Styled as "MWidgetStyle" under the style name "CommonContentItem". Pictures are copied
/// (QPixmap shares the data). Main thread only.
class MTOUCH_EXPORT MContentItem : public MStylableWidget
{
    Q_OBJECT
public:
    /// Which parts an item has. Recorded for the application; every style is drawn with the
    /// same layout (picture, title over subtitle, optional picture), parts left empty unused.
    enum ContentItemStyle {
        IconAndTwoTextLabels = 0,       ///< picture, title and subtitle
        SingleTextLabel,                ///< a title only
        IconAndSingleTextLabel,         ///< picture and title
        TwoTextLabels,                  ///< title and subtitle
        SingleIcon,                     ///< a picture only
        IconAndSingleTextLabelVertical, ///< picture above title
        IconAndTwoTextLabelsVertical,   ///< picture above title and subtitle
        TwoIconsTwoWidgets,             ///< picture, title and subtitle, optional picture
    };
    Q_ENUM(ContentItemStyle)
    /// Where the item sits in a list, for its background; recorded, not drawn differently.
    enum ContentItemMode {
        Default = 0,        ///< an item among others
        Single,             ///< the only item
        SingleColumnTop,    ///< the first item of a column
        SingleColumnCenter, ///< an item inside a column
        SingleColumnBottom, ///< the last item of a column
    };
    Q_ENUM(ContentItemMode)

    /// An item of \a itemStyle without texts or pictures; \a parent (an item) owns it.
    explicit MContentItem(ContentItemStyle itemStyle = IconAndTwoTextLabels,
                          QGraphicsItem* parent = nullptr);
    /// Destroys the item.
    ~MContentItem() override;

    /// The style given at construction.
    ContentItemStyle itemStyle() const { return m_itemStyle; }
    /// The item's place in a list; Default until set.
    ContentItemMode itemMode() const { return m_mode; }
    /// Sets itemMode().
    void setItemMode(ContentItemMode mode);
    /// The first line of text.
    QString title() const { return m_title; }
    /// Sets the title (elided to fit) and repaints.
    void setTitle(const QString& title);
    /// The second line of text, drawn dimmed.
    QString subtitle() const { return m_subtitle; }
    /// Sets the subtitle (elided to fit) and repaints.
    void setSubtitle(const QString& subtitle);
    /// The picture at the start, as high as the item's contents; null for none.
    QPixmap pixmap() const { return m_pixmap; }
    /// Sets the picture at the start and repaints.
    void setPixmap(const QPixmap& pixmap);
    /// The smaller picture at the end; null for none.
    QPixmap optionalPixmap() const { return m_optionalPixmap; }
    /// Sets the picture at the end and repaints.
    void setOptionalPixmap(const QPixmap& pixmap);

    /// Paints the view's background, then the pictures and texts.
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

Q_SIGNALS:
    /// A press inside the item was released inside it.
    void clicked();

protected:
    /// Accepts the press, so that the release comes here too.
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    /// Emits clicked() when the release is inside the item.
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    /// Preferred: the style's preferred size, else 300 by 80; the base's for the others.
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint = QSizeF()) const override;

private:
    ContentItemStyle m_itemStyle;
    ContentItemMode m_mode = Default;
    QString m_title;
    QString m_subtitle;
    QPixmap m_pixmap;
    QPixmap m_optionalPixmap;
    bool m_pressed = false;
};

#endif
