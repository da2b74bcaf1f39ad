#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

// Empty files in a private temporary folder, named by paths relative to it; a path that ends
// in "/" is a folder.
class FolderTree
{
public:
    explicit FolderTree(const QStringList& entries = {}) { add(entries); }

    QString path(const QString& relative = {}) const { return m_dir.filePath(relative); }
    QList<QUrl> urls(const QStringList& relatives) const
    {
        QList<QUrl> urls;
        for (const QString& relative : relatives)
            urls << QUrl::fromLocalFile(path(relative));
        return urls;
    }
    void add(const QStringList& entries) const
    {
        for (const QString& entry : entries) {
            QDir().mkpath(path(entry.left(entry.lastIndexOf(QLatin1Char('/')) + 1)));
            QFile(path(entry)).open(QIODevice::WriteOnly);
        }
    }

private:
    QTemporaryDir m_dir;
};
