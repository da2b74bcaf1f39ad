#include "app/FolderEnumerator.h"

#include <dirent.h>

#include <QDir>
#include <QFile>

namespace {

int systemStat(const QByteArray& path, struct stat* status, bool followLinks)
{
    return followLinks ? ::stat(path.constData(), status) : ::lstat(path.constData(), status);
}

} // namespace

FolderEnumerator::FolderEnumerator(const QString& folder, StatFunction stat,
                                   const std::atomic<bool>* cancelled)
    : m_stat(stat ? std::move(stat) : systemStat), m_cancelled(cancelled)
{
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    struct stat status = {};
    if (!path.isEmpty() && m_stat(path, &status, true) == 0 && S_ISDIR(status.st_mode))
        enter(path, status);
}

std::optional<FolderEnumerator::Entry> FolderEnumerator::next()
{
    while (!m_folders.empty()) {
        if (m_cancelled && m_cancelled->load(std::memory_order_relaxed))
            break;
        Folder& folder = m_folders.back();
        if (folder.nextName == folder.names.size()) {
            m_folders.pop_back();
            continue;
        }
        const ListedName& listed = folder.names[folder.nextName++];
        return examine(folder.prefix + listed.name, listed.type);
    }
    m_folders.clear();
    return std::nullopt;
}

FolderEnumerator::Entry FolderEnumerator::examine(const QByteArray& path, unsigned char type)
{
    Entry entry{QFile::decodeName(path), false, false};
    struct stat status = {};
    if (type == DT_UNKNOWN) {
        if (m_stat(path, &status, false) != 0)
            return entry;
        type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISLNK(status.st_mode) ? DT_LNK : DT_REG;
        if (type == DT_REG && !S_ISREG(status.st_mode))
            return entry; // a device, a pipe or a socket
    }
    if (type == DT_REG) {
        entry.isRegularFile = true;
    } else if (type == DT_LNK) {
        // A link counts as what it names, but a folder behind it is not entered.
        entry.isRegularFile.reset();
        if (m_stat(path, &status, true) == 0)
            entry.isRegularFile = S_ISREG(status.st_mode);
    } else if (type == DT_DIR && m_stat(path, &status, false) == 0) {
        entry.isDirectory = true;
        enter(path, status); // invalidates the folder the caller read from
    }
    return entry;
}

void FolderEnumerator::enter(const QByteArray& path, const struct stat& status)
{
    if (!m_visited.insert({status.st_dev, status.st_ino}).second)
        return;
    Folder folder{path.endsWith('/') ? path : path + '/', {}, 0};
    if (DIR* dir = ::opendir(path.constData())) {
        while (const dirent* listed = ::readdir(dir)) {
            if (listed->d_name[0] != '.')
                folder.names.push_back({QByteArray(listed->d_name), listed->d_type});
        }
        ::closedir(dir);
    }
    m_folders.push_back(std::move(folder));
}
