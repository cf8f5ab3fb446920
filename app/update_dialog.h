#pragma once

#include <QDialog>
#include <QJsonObject>
#include <QPoint>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class QTextEdit;

// The dialog that offers a client update: frameless, 375 x 304, with the
// release notes in a read-only box, "开始升级" (start the upgrade) and
// "下次提醒" (remind me next time). It is dragged by its empty area.
// Starting the upgrade hands over to the updater program and quits the
// program (through the quit hook: the main window writes its pending files
// first).
class updateDlg : public QDialog
{
    Q_OBJECT
public:
    // ret: the upgrade service's "ret" object; firmwareVersion: the version
    // the query was made for; folder: the application folder.
    updateDlg(const QJsonObject& ret, const QString& firmwareVersion, const QString& folder,
              std::function<void()> quitHook, QWidget* parent = nullptr);

    QString description() const;
    QPushButton* startButton() const { return m_start; }
    QPushButton* laterButton() const { return m_later; }

public slots:
    // Starts the updater with the offered package, then quits the program.
    void ExecUpdater();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QJsonObject m_ret;
    QString m_firmwareVersion;
    QString m_folder;
    std::function<void()> m_quitHook;
    QTextEdit* m_text = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_later = nullptr;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
