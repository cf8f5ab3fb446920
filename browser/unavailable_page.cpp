#include "unavailable_page.h"

namespace UnavailablePage {

QUrl address(const QString& detail)
{
    const QString html = QStringLiteral(
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>Orvanta</title><style>"
        "body{font:15px/1.5 sans-serif;margin:0;display:flex;align-items:center;justify-content:center;"
        "min-height:100vh;background:#222529;color:#e8eaed}"
        "main{max-width:34em;padding:2em}h1{font-size:1.4em;margin:0 0 .6em}"
        "code{display:block;white-space:pre-wrap;background:#2f3338;padding:.6em .8em;border-radius:4px;"
        "font-size:13px;margin:.8em 0}p{margin:.4em 0}"
        "</style></head><body><main>"
        "<h1>Orvanta cannot show its pages</h1>"
        "<p>The program's pages could not be prepared, so there is nothing to show. Your devices keep their "
        "settings.</p><code>%1</code>"
        "<p>Install Orvanta again, or start it once more. The file app.log of the program says more.</p>"
        "<p lang=\"zh\">Orvanta 无法显示其页面。请重新安装或再次启动 Orvanta。</p>"
        "</main></body></html>")
                             .arg(detail.toHtmlEscaped());
    return QUrl(QStringLiteral("data:text/html;charset=utf-8;base64,") + QString::fromLatin1(html.toUtf8().toBase64()));
}

} // namespace UnavailablePage
