#include "update_dialog.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>

#include "updater_launch.h"

updateDlg::updateDlg(const QJsonObject& ret, const QString& firmwareVersion, const QString& folder,
                     std::function<void()> quitHook, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_ret(ret)
    , m_firmwareVersion(firmwareVersion)
    , m_folder(folder)
    , m_quitHook(std::move(quitHook))
{
    setObjectName(QStringLiteral("updateDlg"));
    setFixedSize(375, 304);
    setWindowIcon(QIcon(QStringLiteral(":/image/tray")));
    setAttribute(Qt::WA_StyledBackground, true);

    auto* close = new QPushButton(QStringLiteral("×"), this);
    close->setObjectName(QStringLiteral("updateDlgClose"));
    close->setGeometry(350, 5, 20, 20);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("updateDlgDescription"));
    m_text->setReadOnly(true);
    m_text->setGeometry(2, 100, 345, 100);
    m_text->setPlainText(ret.value(QStringLiteral("description")).toString());

    m_start = new QPushButton(QStringLiteral("开始升级"), this);
    m_start->setObjectName(QStringLiteral("updateDlgStart"));
    m_start->setGeometry(155, 210, 95, 30);
    connect(m_start, &QPushButton::clicked, this, &updateDlg::ExecUpdater);

    m_later = new QPushButton(QStringLiteral("下次提醒"), this);
    m_later->setObjectName(QStringLiteral("updateDlgLater"));
    m_later->setGeometry(260, 210, 95, 30);
    connect(m_later, &QPushButton::clicked, this, &QDialog::close);
}

QString updateDlg::description() const
{
    return m_text->toPlainText();
}

void updateDlg::ExecUpdater()
{
    const auto text = [this](const char* member) { return m_ret.value(QLatin1String(member)).toString(); };
    UpdaterLaunch::start(m_folder, UpdaterLaunch::arguments(text("package"), text("deployment"), m_firmwareVersion,
                                                            false));
    // Whether or not the updater started, the program ends here.
    close();
    if (m_quitHook)
        m_quitHook();
}

// The empty area drags the window: the children take their own clicks.
void updateDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = event->globalPos() - frameGeometry().topLeft();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void updateDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPos() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void updateDlg::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
