#include "ui/MessageBoxAlertPresenter.h"

#include <QMessageBox>

void MessageBoxAlertPresenter::runModal(const Alert& alert)
{
    QMessageBox box(m_parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(alert.title.isEmpty() ? QStringLiteral("Kassolin") : alert.title);
    box.setText(alert.messageText);
    box.setInformativeText(alert.informativeText);
    if (alert.icon.isNull())
        box.setIcon(QMessageBox::Warning);
    else
        box.setIconPixmap(alert.icon);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}
