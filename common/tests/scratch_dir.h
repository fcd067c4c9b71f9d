#pragma once

// A fresh temporary directory that is the working directory while the object
// lives, since letter files are only ever looked for there.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace lexorra::testing {

class ScratchWorkingDir final
{
public:
    ScratchWorkingDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~ScratchWorkingDir() { QDir::setCurrent(m_previous); }
    Q_DISABLE_COPY_MOVE(ScratchWorkingDir)

    /// True when the directory was made and is the working directory.
    [[nodiscard]] bool isValid() const { return m_dir.isValid() && QDir::currentPath() == QDir(m_dir.path()).path(); }

    /// Writes @p name with @p contents; true when it was written.
    bool write(const QString &name, const QByteArray &contents) const
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

/// Writes @p bytes to the file @p name in the working directory, failing the
/// test when it cannot.
inline void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(name));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace lexorra::testing
