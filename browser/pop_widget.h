#pragma once

#include <QString>
#include <QWidget>

class ViewHost;
class WebView;

// A frameless dialog-style window showing one page. Its view name, under
// which its browser is registered for events, is the normalised page
// address. Activating the pop-up makes its view the one that receives page
// requests (through the view host) and tells the main window it is the
// active pop-up.
class PopWidget : public QWidget
{
    Q_OBJECT
public:
    // host: the browser host of its view, which must outlive the pop-up.
    PopWidget(ViewHost& host, const QString& url, int width, int height, QWidget* parent = nullptr);

    // The address through a directory-path normalisation; from the first
    // "http" on when it contains one, with the collapsed "http:/" written
    // "http://" again.
    static QString normalisedViewName(const QString& url);

    QString url() const { return m_url; }
    QString viewName() const { return m_viewName; }
    WebView* view() const { return m_view; }

signals:
    // The pop-up became the active one.
    void activated(PopWidget* popup);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ViewHost& m_host;
    QString m_url;
    QString m_viewName;
    int m_width;
    int m_height;
    WebView* m_view;
};
