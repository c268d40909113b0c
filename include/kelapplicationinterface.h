#ifndef KELAPPLICATIONINTERFACE_H
#define KELAPPLICATIONINTERFACE_H

#include "kelmora_export.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class MWidget;

/// Where parts of an application that do not know one another meet: a component asks for
/// something to be played or hands over a sub page; the application, connected to the
/// signals, does the playing and the showing. Both signals are emitted before the call that
/// causes them returns.
class KELMORA_EXPORT KelApplicationInterface : public QObject
{
    Q_OBJECT
public:
    /// The instance made by instance(); null before and again once that instance is deleted.
    static KelApplicationInterface* instanceToThis;

    /// Created on first use with no parent; the library never deletes it.
    static KelApplicationInterface* instance();

    /// Makes an instance that instance() does not know of; most applications use instance().
    KelApplicationInterface();
    /// Deletes a sub page still held.
    ~KelApplicationInterface() override;

    /// Emits playRequested with exactly these arguments; nothing is checked.
    void play(const QStringList& uriList, int playIndex, const QString& callerId);
    /// Takes ownership of widget (null is accepted) and deletes the page held before, unless
    /// it is the same widget, which stays held; then emits subPageWidgetChanged().
    void showSubPage(MWidget* widget, const QString& title);
    /// Hands the held page to the caller, who owns it from now on; null when none is held.
    MWidget* subPageWidget();
    /// The title given with the last showSubPage(); empty before.
    const QString& title() const;

Q_SIGNALS:
    /// showSubPage() was called; the page is taken with subPageWidget().
    void subPageWidgetChanged();
    /// play() was called, with its arguments unchanged.
    void playRequested(QStringList uriList, int playIndex, QString callerId);

private:
    // Guarded: a page deleted by someone else while held is forgotten, not deleted again.
    QPointer<MWidget> m_subPage;
    QString m_pageTitle;
};

#endif
