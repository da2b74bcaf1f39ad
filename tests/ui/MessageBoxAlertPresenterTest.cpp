#include "ui/MessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(MessageBoxAlertPresenterTest, ShowsTheTextsWithOneOkButtonUntilDismissed)
{
    QStringList shown; // the texts, the icon, the modality and the buttons
    // Presses the first box's first button; whatever else stays open is closed, so that a
    // fault fails the test instead of hanging it.
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (box && shown.isEmpty() && !box->buttons().isEmpty()) {
            shown << box->text() << box->informativeText() << QString::number(box->icon())
                  << QString::number(box->windowModality());
            for (QAbstractButton* button : box->buttons())
                shown << button->text();
            box->buttons().constFirst()->click();
        } else if (dialog) {
            dialog->done(0);
        }
    });
    dismiss.start(10);

    const QString text = QStringLiteral("Die MP3-Datei konnte nicht geöffnet werden.");
    MessageBoxAlertPresenter().runModal({text, QStringLiteral("Lied.mp3")});
    EXPECT_EQ(shown, QStringList({text, "Lied.mp3", QString::number(QMessageBox::Warning),
                                  QString::number(Qt::ApplicationModal), "OK"}));
}

} // namespace
