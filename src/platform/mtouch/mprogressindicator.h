#ifndef MPROGRESSINDICATOR_H
#define MPROGRESSINDICATOR_H

#include "mstylablewidget.h"

class QTimer;

/// A spinner (turning while the duration is unknown) or a bar.
///
/// A spinner turns from a timer on the main thread, and only while it is visible in a scene.
/// Drawn in the style's colour inside its margins.
class MTOUCH_EXPORT MProgressIndicator : public MStylableWidget
{
    Q_OBJECT
public:
    /// The view type of a spinner: "spinner".
    static const QString spinnerType;
    /// The view type of a bar: "bar".
    static const QString barType;

    /// An indicator of \a viewType (spinnerType or barType); \a parent (an item) owns it.
    explicit MProgressIndicator(QGraphicsItem* parent = nullptr,
                                const QString& viewType = MProgressIndicator::barType);
    /// Stops the animation.
    ~MProgressIndicator() override;

    /// The view type given at construction.
    QString viewType() const { return m_viewType; }
    /// Whether the duration is unknown (false by default).
    bool unknownDuration() const { return m_unknownDuration; }
    /// Sets unknownDuration(); a spinner turns while it is true.
    void setUnknownDuration(bool unknown);
    /// The progress a bar shows, 0 to 100.
    int value() const { return m_value; }
    /// Sets value(), bounded to 0 to 100.
    void setValue(int value);
    /// Whether the spinner is turning now.
    bool isAnimating() const;

    /// Paints the view's background, then the spinner or the bar.
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    /// Starts and stops the spinner as the widget is shown, hidden, or moved between scenes.
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;
    /// Preferred: the style's preferred size, else 64 by 64; the base's for the others.
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
