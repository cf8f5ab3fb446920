// Benchmark reference, not a test: a bare Qt WebEngine view showing one
// local page, nothing else. bench-idle-cpu measures its idle CPU beside the
// program's.
//
//   bench_idle_view <page.html>
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

#include "browser_setup.h"

int main(int argc, char* argv[])
{
    BrowserSetup::prepareEnvironment();
    QApplication app(argc, argv);
    if (argc != 2)
        return 1;
    QWebEngineView view;
    view.resize(960, 640);
    view.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    view.show();
    return app.exec();
}
