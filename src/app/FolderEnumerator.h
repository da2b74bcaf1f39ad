#pragma once

#include <sys/stat.h>

#include <atomic>
#include <functional>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>

// Walks a folder tree depth first, in the order the file system lists each folder, yielding a
// folder before its contents. Hidden entries (names beginning with a dot) are skipped with
// all they hold. A link to a folder is never followed, and a folder whose device and inode
// were seen before (a bind mount of one of its ancestors) is not entered again, so every walk
// ends. A folder that cannot be read is passed over and the walk goes on.
class FolderEnumerator
{
public:
    // stat(2) or, without `followLinks`, lstat(2); tests put a bind mount in place through it.
    using StatFunction =
        std::function<int(const QByteArray& path, struct stat* status, bool followLinks)>;

    struct Entry
    {
        QString path;
        bool isDirectory = false;
        // What the entry, or the file a link names, is; nothing when a link leads nowhere.
        std::optional<bool> isRegularFile;
    };

    // The walk stops early, as if the tree had ended, once `cancelled` is set.
    explicit FolderEnumerator(const QString& folder, StatFunction stat = {},
                              const std::atomic<bool>* cancelled = nullptr);

    std::optional<Entry> next();

private:
    struct ListedName
    {
        QByteArray name;
        unsigned char type; // the dirent type, DT_UNKNOWN where the file system gives none
    };
    struct Folder
    {
        QByteArray prefix; // the folder's path with a trailing slash
        std::vector<ListedName> names;
        std::size_t nextName = 0;
    };

    Entry examine(const QByteArray& path, unsigned char type);
    void enter(const QByteArray& path, const struct stat& status);

    StatFunction m_stat;
    const std::atomic<bool>* m_cancelled;
    std::vector<Folder> m_folders;
    std::set<std::pair<dev_t, ino_t>> m_visited;
};
