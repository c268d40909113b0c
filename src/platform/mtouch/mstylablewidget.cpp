#include "mstylablewidget.h"

#include "mwidgetview.h"

#include <QHash>

namespace {
// The plain view of a stylable widget: styled by the widget's own style class.
class StylableWidgetView : public MWidgetView
{
public:
    explicit StylableWidgetView(MStylableWidget* widget) : MWidgetView(widget), m_widget(widget) {}

protected:
    MWidgetStyleContainer* createStyleContainer() const override
    {
        return m_widget->createStyleContainer();
    }

private:
    MStylableWidget* m_widget;
};

QHash<QString, QString>& registeredTypes()
{
    static QHash<QString, QString> types; // class name -> library
    return types;
}
} // namespace

MStylableWidget::MStylableWidget(QGraphicsItem* parent) : MWidgetController(parent)
{
    setView(new StylableWidgetView(this));
}

MStylableWidget::~MStylableWidget() = default;

void MStylableWidget::registerStylableWidgetType(const QMetaObject* metaObject, const char* library,
                                                 int assemblyType)
{
    Q_UNUSED(assemblyType)
    registeredTypes().insert(QString::fromLatin1(metaObject->className()),
                             QString::fromLatin1(library));
}

const char* MStylableWidget::styleType() const
{
    return "MWidgetStyle";
}

MWidgetStyleContainer* MStylableWidget::createStyleContainer() const
{
    return new MWidgetStyleContainer(styleType());
}
