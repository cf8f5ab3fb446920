#include "dialog_update_prompt.h"

DialogUpdatePrompt::DialogUpdatePrompt(QWidget* mainWindow, const QString& folder, std::function<void()> quitHook)
    : m_mainWindow(mainWindow)
    , m_folder(folder)
    , m_quitHook(std::move(quitHook))
{
}

DialogUpdatePrompt::~DialogUpdatePrompt()
{
    delete m_dialog.data();
}

void DialogUpdatePrompt::offerUpdate(const QJsonObject& ret, const QString& firmwareVersion)
{
    if (m_dialog) {
        m_dialog->close();
        delete m_dialog.data();
    }
    m_dialog = new updateDlg(ret, firmwareVersion, m_folder, m_quitHook, m_mainWindow);
    if (m_mainWindow) {
        const QPoint centre = m_mainWindow->mapToGlobal(m_mainWindow->rect().center());
        QRect placed(QPoint(), m_dialog->size());
        placed.moveCenter(centre);
        m_dialog->move(placed.topLeft());
    }
    m_dialog->show();
}
