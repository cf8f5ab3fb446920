#pragma once

#include "pop_widget.h"
#include "query_callback.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

class ViewHost;

// The pop-ups the pages opened ("OpenView"), by page address: one per
// address, owned by the table (top-level widgets without a parent), and the
// current one (the pop-up activated last). The page requests of every
// pop-up leave the table as its jsMessage.
class PopupTable : public QObject
{
    Q_OBJECT
public:
    // host: the browser host of the pop-ups' views; it must outlive them.
    explicit PopupTable(ViewHost& host, QObject* parent = nullptr);
    ~PopupTable() override;

    // Shows the pop-up for url, opening it at (width, height) unless one is
    // open for that address already (that one is raised and activated).
    void open(const QString& url, int width, int height);
    // Closes the pop-up activated last, when it is still there.
    void closeCurrent();

    PopWidget* find(const QString& url) const { return m_popups.value(url); }
    PopWidget* current() const { return m_current; }
    QList<PopWidget*> all() const { return m_popups.values(); }
    int size() const { return m_popups.size(); }

signals:
    void jsMessage(const QString& request, QueryCallbackPtr callback);

private:
    ViewHost& m_host;
    QMap<QString, PopWidget*> m_popups;
    QPointer<PopWidget> m_current;
};
