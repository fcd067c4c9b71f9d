#pragma once

#include <QString>

namespace lexorra::import {

/// A failure that ends an import: bad input, or a file that cannot be read or
/// written. The message is one line that names the file and, where it helps,
/// the line or byte offset.
class ImportError final
{
public:
    explicit ImportError(QString message) : m_message(std::move(message)) {}

    /// "FILE: line N: WHAT".
    static ImportError atLine(const QString &file, qint64 line, const QString &what)
    {
        using namespace Qt::StringLiterals;
        return ImportError(file + u": line "_s + QString::number(line) + u": "_s + what);
    }
    /// "FILE: byte N: WHAT".
    static ImportError atByte(const QString &file, qint64 offset, const QString &what)
    {
        using namespace Qt::StringLiterals;
        return ImportError(file + u": byte "_s + QString::number(offset) + u": "_s + what);
    }

    [[nodiscard]] const QString &message() const { return m_message; }

private:
    QString m_message;
};

/// Thrown where work stops because SIGINT or SIGTERM arrived.
struct Interrupted
{
    int signalNumber = 0;
};

/// Installs SIGINT and SIGTERM handlers that only record the signal, so that
/// long loops can stop at a safe point and remove what they wrote.
void installInterruptHandlers();

/// The signal that asked the import to stop, or 0.
[[nodiscard]] int pendingInterrupt();

/// Throws Interrupted when a signal asked the import to stop.
void throwIfInterrupted();

/// For the tests of what a killed import leaves behind: when the environment
/// variable LEXORRA_IMPORT_PAUSE_AT names @p point, prints "paused at POINT" on
/// standard error the first time the import gets there, and waits until
/// standard input gives a byte or ends, or a signal arrives.
void pauseAt(const char *point);

} // namespace lexorra::import
