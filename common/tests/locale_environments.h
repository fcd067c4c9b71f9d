#pragma once

// The locales the programs must behave alike in, as environments to start
// them in: none at all, C, POSIX, C.UTF-8 and a real UTF-8 locale.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTest>

namespace lexorra::testing {

struct LocaleEnvironment
{
    QByteArray name;
    QProcessEnvironment environment;
    /// Why this locale cannot be had here; empty when it can.
    QString unavailable;
};

/// The system's environment without any variable that chooses a locale.
inline QProcessEnvironment withoutLocale()
{
    using namespace Qt::StringLiterals;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QStringList names = environment.keys();
    for (const QString &name : names) {
        if (name == u"LANG"_s || name == u"LANGUAGE"_s || name == u"LOCPATH"_s || name.startsWith(u"LC_"_s))
            environment.remove(name);
    }
    return environment;
}

/// The locales to try. The real one is de_DE.UTF-8: the system's when it is
/// installed, else compiled into @p scratch from the sources that Debian's
/// locales package holds, so that no test needs a locale set up by hand.
inline QList<LocaleEnvironment> localeEnvironments(const QString &scratch)
{
    using namespace Qt::StringLiterals;
    const auto with = [](QList<std::pair<QString, QString>> variables) {
        QProcessEnvironment environment = withoutLocale();
        for (const auto &[name, value] : variables)
            environment.insert(name, value);
        return environment;
    };
    QList<LocaleEnvironment> locales{
        {"no locale", withoutLocale(), {}},
        {"LC_ALL=C", with({{u"LC_ALL"_s, u"C"_s}}), {}},
        {"LC_ALL=POSIX", with({{u"LC_ALL"_s, u"POSIX"_s}}), {}},
        {"LANG=C.UTF-8", with({{u"LANG"_s, u"C.UTF-8"_s}}), {}},
    };

    LocaleEnvironment real{"LC_ALL=de_DE.UTF-8", with({{u"LC_ALL"_s, u"de_DE.UTF-8"_s}}), {}};
    QProcess list;
    list.start(u"locale"_s, {u"-a"_s});
    const bool installed = list.waitForFinished(30000) &&
                           list.readAllStandardOutput().split('\n').contains(QByteArrayLiteral("de_DE.utf8"));
    if (!installed) {
        const QString compiled = QDir(scratch).filePath(u"de_DE.UTF-8"_s);
        if (!QFile::exists(compiled + u"/LC_CTYPE"_s)) {
            QProcess localedef;
            localedef.setProcessChannelMode(QProcess::MergedChannels);
            localedef.start(u"localedef"_s, {u"-c"_s, u"-i"_s, u"de_DE"_s, u"-f"_s, u"UTF-8"_s, compiled});
            localedef.waitForFinished(120000);
        }
        if (QFile::exists(compiled + u"/LC_CTYPE"_s))
            real.environment.insert(u"LOCPATH"_s, scratch);
        else
            real.unavailable = u"de_DE.UTF-8 is not installed, and localedef could not make it: its sources come "
                               u"with Debian's locales package, which scripts/setup.sh installs"_s;
    }
    locales.append(real);
    return locales;
}

/// For a test's data function: the columns "environment" (a
/// QProcessEnvironment) and "unavailable" (a QString, empty when the locale
/// can be had; else why not, for QSKIP), and a row for each locale.
inline void addLocaleRows(const QString &scratch)
{
    QTest::addColumn<QProcessEnvironment>("environment");
    QTest::addColumn<QString>("unavailable");
    for (const LocaleEnvironment &locale : localeEnvironments(scratch))
        QTest::newRow(locale.name.constData()) << locale.environment << locale.unavailable;
}

/// Arguments for /bin/sh that run @p program with @p arguments, byte for byte,
/// which QProcess, encoding text as UTF-8, cannot pass when they are not
/// UTF-8.
inline QStringList shellArguments(const QString &program, const QList<QByteArray> &arguments)
{
    using namespace Qt::StringLiterals;
    // Each argument arrives escaped for printf's %b and leaves as its bytes.
    QStringList shell{u"-c"_s,
                      u"program=$0; for a; do set -- \"$@\" \"$(printf %b \"$a\")\"; shift; done; "
                      u"exec \"$program\" \"$@\""_s,
                      program};
    for (const QByteArray &argument : arguments) {
        QString escaped;
        for (const char c : argument) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte > 0x20 && byte < 0x7f && byte != '\\')
                escaped += QLatin1Char(c);
            else
                escaped += u"\\0%1"_s.arg(uint(byte), 3, 8, QChar(u'0'));
        }
        shell.append(escaped);
    }
    return shell;
}

} // namespace lexorra::testing
