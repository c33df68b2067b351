#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace pellamar::testing {

// A temporary folder in which nothing can be created, removed or renamed. Root ignores the
// permission bits, so for root the folder is made immutable instead (what chattr +i does); the
// folder is unlocked again however the test ends.
class ReadOnlyFolder {
public:
    ReadOnlyFolder() = default;
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    ~ReadOnlyFolder() { unlock(); }

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    QStringList entries() const
    {
        return QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                      QDir::NoDotAndDotDot);
    }

    // Empty once the folder is read-only; otherwise why it could not be made so.
    QString lock()
    {
        if (!dir_.isValid()) {
            return QStringLiteral("no temporary folder");
        }
        if (::geteuid() == 0) {
            immutable_ = setImmutable(true);
            if (!immutable_) {
                return QStringLiteral("the file system of %1 has no immutable flag").arg(path());
            }
        } else {
            QFile::setPermissions(path(), QFile::ReadOwner | QFile::ExeOwner);
        }
        QFile probe(filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            unlock();
            return QStringLiteral("files can still be created in a read-only folder here");
        }
        return {};
    }

    void unlock()
    {
        if (immutable_) {
            immutable_ = !setImmutable(false);
        }
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    bool setImmutable(bool on) const
    {
        const int fd =
            ::open(QFile::encodeName(path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }

    QTemporaryDir dir_;
    bool immutable_ = false;
};

} // namespace pellamar::testing
