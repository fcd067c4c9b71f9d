#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace testing {

/// A fresh temporary directory made the working directory for one test, since
/// letter files are only ever looked for there. The previous working directory
/// comes back when it ends.
class ScratchWorkingDir final
{
public:
    /// Call from a test's init(); fails the test when the directory cannot be made.
    void enter()
    {
        m_previous = QDir::currentPath();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }

    /// Call from a test's cleanup().
    void leave()
    {
        QDir::setCurrent(m_previous);
        m_dir.reset();
    }

private:
    QString m_previous;
    std::unique_ptr<QTemporaryDir> m_dir;
};

/// Writes @p bytes to the file @p name, failing the test when it cannot.
inline void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(name));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace testing
