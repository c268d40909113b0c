#ifndef MCONTENTITEM_H
#define MCONTENTITEM_H

#include "mstylablewidget.h"

#include <QPixmap>

// A list-like item: a picture, a title and a subtitle, and an optional picture at the end.
// Emits clicked() on a release inside it after a press inside it.
class MTOUCH_EXPORT MContentItem : public MStylableWidget
{
    Q_OBJECT
public:
    enum ContentItemStyle {
        IconAndTwoTextLabels = 0,
        SingleTextLabel,
        IconAndSingleTextLabel,
        TwoTextLabels,
        SingleIcon,
        IconAndSingleTextLabelVertical,
        IconAndTwoTextLabelsVertical,
        TwoIconsTwoWidgets, // picture, title and subtitle, optional picture
    };
    Q_ENUM(ContentItemStyle)
    enum ContentItemMode {
        Default = 0,
        Single,
        SingleColumnTop,
        SingleColumnCenter,
        SingleColumnBottom,
    };
    Q_ENUM(ContentItemMode)

    explicit MContentItem(ContentItemStyle itemStyle = IconAndTwoTextLabels,
                          QGraphicsItem* parent = nullptr);
    ~MContentItem() override;

    ContentItemStyle itemStyle() const { return m_itemStyle; }
    ContentItemMode itemMode() const { return m_mode; }
    void setItemMode(ContentItemMode mode);
    QString title() const { return m_title; }
    void setTitle(const QString& title);
    QString subtitle() const { return m_subtitle; }
    void setSubtitle(const QString& subtitle);
    QPixmap pixmap() const { return m_pixmap; }
    void setPixmap(const QPixmap& pixmap);
    QPixmap optionalPixmap() const { return m_optionalPixmap; }
    void setOptionalPixmap(const QPixmap& pixmap);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
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
