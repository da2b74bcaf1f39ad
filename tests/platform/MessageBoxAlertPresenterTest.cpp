#include "platform/MessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(MessageBoxAlertPresenter, ShowsTheTextsWithOneOkButtonUntilDismissed)
{
    QString shownText;
    QString shownInformativeText;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::WindowModality modality = Qt::NonModal;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        shownText = box->text();
        shownInformativeText = box->informativeText();
        icon = box->icon();
        modality = box->windowModality();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        box->buttons().constFirst()->click();
    });

    MessageBoxAlertPresenter presenter;
    presenter.runModal({QStringLiteral("Die MP3-Datei konnte nicht geöffnet werden."),
                        QStringLiteral("Lied.mp3")});

    EXPECT_EQ(shownText, QStringLiteral("Die MP3-Datei konnte nicht geöffnet werden."));
    EXPECT_EQ(shownInformativeText, QStringLiteral("Lied.mp3"));
    EXPECT_EQ(buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(modality, Qt::ApplicationModal);
}

} // namespace
