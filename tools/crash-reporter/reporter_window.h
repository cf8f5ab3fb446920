#pragma once

#include <QDialog>
#include <QString>

class QLabel;

// "Orvanta stopped unexpectedly": the report, and Restart Orvanta, Copy
// report, Save report… and Close. Nothing is sent anywhere.
class ReporterWindow : public QDialog
{
    Q_OBJECT
public:
    // restartProgram: what Restart starts; empty hides the button.
    ReporterWindow(const QString& report, const QString& reportPath, const QString& restartProgram,
                   QWidget* parent = nullptr);

private:
    void copyReport();
    void saveReport();
    void restart();

    QString m_report;
    QString m_reportPath;
    QString m_restartProgram;
    QLabel* m_status = nullptr;
};
