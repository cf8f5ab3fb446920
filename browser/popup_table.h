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
// current one (the pop-up shown or activated last). The page requests of every
// pop-up leave the table as its jsMessage. A pop-up whose address contains
// "/set.html" stays on top of other windows.
class PopupTable : public QObject
{
    Q_OBJECT
public:
    // host: the browser host of the pop-ups' views; it must outlive them.
    explicit PopupTable(ViewHost& host, QObject* parent = nullptr);
    ~PopupTable() override;

    // Shows the pop-up for url, opening it at (width, height), limited to
    // what the screens can show, unless one is open for that address
    // already (that one is raised and activated). False, and nothing
    // opened, when width or height is 0 or less.
    bool open(const QString& url, qint64 width, qint64 height);
    // Closes the pop-up activated last, when there is one: it leaves the
    // table and the host's named browsers at once (no event reaches it
    // any more), and is deleted once the event loop gets there.
    void closeCurrent();

    PopWidget* find(const QString& url) const { return m_popups.value(url); }
    PopWidget* current() const { return m_current; }
    QList<PopWidget*> all() const { return m_popups.values(); }
    int size() const { return m_popups.size(); }

    // The window a new pop-up opens centred over (the main window); null:
    // wherever the desktop puts it.
    void setAnchor(QWidget* anchor) { m_anchor = anchor; }

signals:
    void jsMessage(const QString& request, QueryCallbackPtr callback);

private:
    ViewHost& m_host;
    QMap<QString, PopWidget*> m_popups;
    QPointer<PopWidget> m_current;
    QPointer<QWidget> m_anchor;
};
