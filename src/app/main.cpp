#include "platform/MessageBoxAlertPresenter.h"
#include "platform/Mp3AudioPlayer.h"
#include "ui/PlainPlayerWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QUrl>

namespace {

// The first argument that is not an option and names an MP3 file, as a path or file URL.
QString commandLineMp3(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith(QLatin1Char('-')))
            continue;
        const QUrl url(argument);
        const bool isFileUrl = url.scheme() == QLatin1String("file") &&
                               (url.host().isEmpty() || url.host() == QLatin1String("localhost"));
        const QString path = isFileUrl ? url.toLocalFile() : argument;
        if (path.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive))
            return path;
    }
    return {};
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
    PlainPlayerWindow window(alerts, Mp3AudioPlayer::factory());
    window.show();
    if (const QString file = commandLineMp3(QApplication::arguments()); !file.isEmpty())
        window.playFile(file);
    return QApplication::exec();
}
