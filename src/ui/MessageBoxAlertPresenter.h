#pragma once

#include "player/AlertPresenter.h"

#include <QPointer>
#include <QWidget>

// Alerts as QMessageBox dialogs, modal for the whole application.
class MessageBoxAlertPresenter final : public AlertPresenter
{
public:
    explicit MessageBoxAlertPresenter(QWidget* parent = nullptr) : m_parent(parent) {}

    // The window the alerts are centred on.
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    void runModal(const Alert& alert) override;

private:
    QPointer<QWidget> m_parent;
};
