#pragma once

// Letter files in a temporary directory that is the working directory while
// the object lives, as the program looks for them there.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace testing {

class LetterFiles final
{
public:
    LetterFiles() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~LetterFiles() { QDir::setCurrent(m_previous); }
    Q_DISABLE_COPY_MOVE(LetterFiles)

    [[nodiscard]] bool isValid() const { return m_dir.isValid() && QDir::currentPath() == QDir(m_dir.path()).path(); }

    /// Writes @p name with @p contents (UTF-8); true when it was written.
    bool write(const QString &name, const QByteArray &contents) const
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace testing
