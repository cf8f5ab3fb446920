#include "reporter_window.h"

#include "no_follow_file.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

ReporterWindow::ReporterWindow(const QString& report, const QString& reportPath, const QString& restartProgram,
                               QWidget* parent)
    : QDialog(parent), m_report(report), m_reportPath(reportPath), m_restartProgram(restartProgram)
{
    setWindowTitle(tr("Orvanta stopped unexpectedly"));
    resize(760, 560);

    auto* title = new QLabel(tr("<b>Orvanta stopped unexpectedly.</b>"), this);
    auto* explanation = new QLabel(
        tr("A report of what happened was kept on this computer (%1). Nothing was sent anywhere. "
           "To help fix it, copy or save the report and attach it to a bug report; it holds the "
           "program's version, where it stopped and its last log lines, nothing of your files.")
            .arg(QDir::toNativeSeparators(reportPath)),
        this);
    explanation->setWordWrap(true);
    explanation->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* text = new QPlainTextEdit(this);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setPlainText(report);
    text->setObjectName(QStringLiteral("report"));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));

    auto* buttons = new QDialogButtonBox(this);
    if (!restartProgram.isEmpty() && QFileInfo(restartProgram).isExecutable()) {
        QPushButton* again = buttons->addButton(tr("Restart Orvanta"), QDialogButtonBox::AcceptRole);
        connect(again, &QPushButton::clicked, this, &ReporterWindow::restart);
    }
    QPushButton* copy = buttons->addButton(tr("Copy report"), QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this, &ReporterWindow::copyReport);
    QPushButton* save = buttons->addButton(tr("Save report…"), QDialogButtonBox::ActionRole);
    connect(save, &QPushButton::clicked, this, &ReporterWindow::saveReport);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(explanation);
    layout->addWidget(text, 1);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
}

void ReporterWindow::copyReport()
{
    QApplication::clipboard()->setText(m_report);
    m_status->setText(tr("The report is on the clipboard."));
}

void ReporterWindow::saveReport()
{
    const QString suggested = QDir::home().filePath(QFileInfo(m_reportPath).fileName());
    const QString path = QFileDialog::getSaveFileName(this, tr("Save report"), suggested, tr("Text (*.txt)"));
    if (path.isEmpty())
        return;
    QString why;
    if (NoFollowFile::save(path, m_report.toUtf8(), QString(), &why))
        m_status->setText(tr("Saved to %1.").arg(QDir::toNativeSeparators(path)));
    else
        m_status->setText(tr("Could not save: %1").arg(why));
}

void ReporterWindow::restart()
{
    if (!QProcess::startDetached(m_restartProgram, QStringList())) {
        m_status->setText(tr("Orvanta could not be started again."));
        return;
    }
    accept();
}
