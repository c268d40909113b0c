#ifndef MPROGRESSINDICATOR_H
#define MPROGRESSINDICATOR_H

#include "mstylablewidget.h"

class QTimer;

// A spinner (turning while the duration is unknown) or a bar.
class MTOUCH_EXPORT MProgressIndicator : public MStylableWidget
{
    Q_OBJECT
public:
    static const QString spinnerType;
    static const QString barType;

    explicit MProgressIndicator(QGraphicsItem* parent = nullptr,
                                const QString& viewType = MProgressIndicator::barType);
    ~MProgressIndicator() override;

    QString viewType() const { return m_viewType; }
    bool unknownDuration() const { return m_unknownDuration; }
    void setUnknownDuration(bool unknown);
    int value() const { return m_value; }
    // 0 to 100.
    void setValue(int value);
    bool isAnimating() const;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint = QSizeF()) const override;

private:
    void updateAnimation();

    QString m_viewType;
    bool m_unknownDuration = false;
    int m_value = 0;
    int m_phase = 0;
    QTimer* m_timer;
};

#endif
