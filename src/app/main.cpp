#include "platform/MessageBoxAlertPresenter.h"
#include "platform/Mp3AudioPlayer.h"
#include "player/PlayerWindowController.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QTranslator>
#include <QUrl>

namespace {

// The arguments that are not options and name MP3 files, as paths or file URLs.
QList<QUrl> commandLineMp3s(const QStringList& arguments)
{
    QList<QUrl> urls;
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith(QLatin1Char('-')))
            continue;
        const QUrl url(argument);
        const bool isFileUrl = url.scheme() == QLatin1String("file") &&
                               (url.host().isEmpty() || url.host() == QLatin1String("localhost"));
        const QUrl file = isFileUrl ? QUrl::fromLocalFile(url.toLocalFile())
                                    : QUrl::fromLocalFile(QFileInfo(argument).absoluteFilePath());
        if (file.fileName().endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive))
            urls << file;
    }
    return urls;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kassolin"));
    QApplication::setOrganizationName(QStringLiteral("Kassolin"));
    QApplication::setApplicationVersion(QStringLiteral(KASSOLIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kassolin"));

    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    MessageBoxAlertPresenter alerts;
    PlayerWindowController player(Mp3AudioPlayer::factory(), alerts);
    alerts.setParentWidget(player.window());
    player.resizeWindowToFitContentAnimated(false);
    player.loadPlaylist(commandLineMp3s(QApplication::arguments()), 0, true);
    player.showWindow();
    return QApplication::exec();
}
