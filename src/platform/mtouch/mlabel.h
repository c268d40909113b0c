#ifndef MLABEL_H
#define MLABEL_H

#include "mstylablewidget.h"

// One line of text in the style's colour and pixel size, inside the style's margins.
class MTOUCH_EXPORT MLabel : public MStylableWidget
{
    Q_OBJECT
public:
    explicit MLabel(QGraphicsItem* parent = nullptr);
    explicit MLabel(const QString& text, QGraphicsItem* parent = nullptr);
    ~MLabel() override;

    QString text() const { return m_text; }
    void setText(const QString& text);
    bool textElide() const { return m_elide; }
    void setTextElide(bool elide);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint = QSizeF()) const override;

private:
    QFont font() const;

    QString m_text;
    bool m_elide = false;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

#endif
