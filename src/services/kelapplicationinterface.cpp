#include "kelapplicationinterface.h"

#include <mwidget.h>

KelApplicationInterface* KelApplicationInterface::instanceToThis = nullptr;

KelApplicationInterface* KelApplicationInterface::instance()
{
    if (!instanceToThis) {
        instanceToThis = new KelApplicationInterface;
    }
    return instanceToThis;
}

KelApplicationInterface::KelApplicationInterface() = default;

KelApplicationInterface::~KelApplicationInterface()
{
    delete m_subPage.data();
    // Another object of this class going away must not orphan the shared instance.
    if (instanceToThis == this) {
        instanceToThis = nullptr;
    }
}

void KelApplicationInterface::play(const QStringList& uriList, int playIndex,
                                   const QString& callerId)
{
    Q_EMIT playRequested(uriList, playIndex, callerId);
}

void KelApplicationInterface::showSubPage(MWidget* widget, const QString& title)
{
    if (m_subPage != widget) {
        delete m_subPage.data();
        m_subPage = widget;
    }
    m_pageTitle = title;
    Q_EMIT subPageWidgetChanged();
}

MWidget* KelApplicationInterface::subPageWidget()
{
    MWidget* widget = m_subPage.data();
    m_subPage.clear();
    return widget;
}

const QString& KelApplicationInterface::title() const
{
    return m_pageTitle;
}
