#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

#include "update_dialog.h"
#include "update_prompt.h"

// Offers an update in the update dialog, centred on the main window. A
// dialog still open is closed and replaced by the new one.
class DialogUpdatePrompt : public UpdatePrompt
{
public:
    DialogUpdatePrompt(QWidget* mainWindow, const QString& folder, std::function<void()> quitHook);
    ~DialogUpdatePrompt() override;

    void offerUpdate(const QJsonObject& ret, const QString& firmwareVersion) override;
    updateDlg* dialog() const { return m_dialog; }

private:
    QPointer<QWidget> m_mainWindow;
    QString m_folder;
    std::function<void()> m_quitHook;
    QPointer<updateDlg> m_dialog;
};
