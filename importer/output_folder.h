#pragma once

#include <QString>
#include <QStringList>

namespace lexorra::import {

/// The folder an import writes into: a work folder beside the target, on the
/// same file system, put in the target's place only when everything is
/// written. Until then the target is untouched, and whatever the import made
/// is removed when the object goes away.
///
/// The work folder stays locked while the import runs, so that a later import
/// into the same parent can tell the work folder of a killed run from that of
/// a live one, and removes the former.
class OutputFolder final
{
public:
    /// Checks @p target before any work: refused when it is a file, a folder
    /// that cannot be listed, or a folder that is not empty, unless @p replace
    /// and it holds nothing but what an import writes. Removes the work folders
    /// that killed imports left in the parent, makes the parent when it is
    /// missing and then the work folder, stamped at once as an import of
    /// @p source. Throws ImportError.
    OutputFolder(const QString &target, bool replace, const QString &source);
    ~OutputFolder();
    Q_DISABLE_COPY_MOVE(OutputFolder)

    /// The work folder to write into.
    [[nodiscard]] const QString &workPath() const { return m_work; }
    /// The target, as an absolute path.
    [[nodiscard]] const QString &targetPath() const { return m_target; }
    /// Work folders of killed imports removed on the way in.
    [[nodiscard]] const QStringList &removedLeftovers() const { return m_removedLeftovers; }

    /// Puts the work folder in the target's place. An old target is exchanged
    /// with it in one step, then removed: the target exists at every moment,
    /// old or new. Throws ImportError.
    void commit();

private:
    enum class Target { Missing, Empty, Replaceable };
    [[nodiscard]] Target checkTarget() const;
    void removeLeftovers(const QString &parent);
    void makeWorkFolder(const QString &parent);
    void stamp(const QString &source);
    void checkExchange() const;
    void syncContents() const;

    QString m_target;
    bool m_replace;
    QString m_work;
    int m_lock = -1;              // the work folder, open and locked while the import runs
    QStringList m_createdParents; // deepest first
    QStringList m_removedLeftovers;
    bool m_committed = false;
};

/// The name of the stamp file that marks a folder an import made.
[[nodiscard]] QString stampFileName();

} // namespace lexorra::import
