// What the programs do before Qt starts: command-line bytes kept exactly
// through text, and a locale whose character type is UTF-8 in every
// environment, which Qt then sets again unchanged.
#include "program_start.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

#include <clocale>
#include <cstdlib>

#include <langinfo.h>
#include <locale.h>

using namespace Qt::StringLiterals;
using lexorra::decodeArgument;
using lexorra::encodeArgument;
using lexorra::holdsInvalidBytes;
using lexorra::printableArgument;

namespace {

// The environment variables that choose a locale.
const QList<QByteArray> &localeVariables()
{
    static const QList<QByteArray> names{
        "LC_ALL",   "LC_CTYPE", "LC_COLLATE", "LC_MONETARY",  "LC_NUMERIC",     "LC_TIME",           "LC_MESSAGES",
        "LC_PAPER", "LC_NAME",  "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION", "LANG"};
    return names;
}

// Every category's locale as the C library has it set now.
QByteArray categories()
{
    return std::setlocale(LC_ALL, nullptr);
}

QByteArray category(int which)
{
    return std::setlocale(which, nullptr);
}

bool installed(const char *locale)
{
    locale_t handle = ::newlocale(LC_ALL_MASK, locale, nullptr);
    if (handle)
        ::freelocale(handle);
    return handle != nullptr;
}

} // namespace

class TestProgramStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void arguments_data();
    void arguments();
    void randomBytesRoundTrip();
    void utf8Locale_data();
    void utf8Locale();

private:
    QList<std::pair<QByteArray, QByteArray>> m_environment;
    QByteArray m_locale;
};

void TestProgramStart::init()
{
    m_environment.clear();
    for (const QByteArray &name : localeVariables())
        m_environment.append({name, qgetenv(name.constData())});
    m_locale = categories();
}

void TestProgramStart::cleanup()
{
    for (const auto &[name, value] : std::as_const(m_environment)) {
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }
    std::setlocale(LC_ALL, m_locale.constData());
}

void TestProgramStart::arguments_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QString>("printable");

    QTest::newRow("empty") << QByteArray() << true << QString();
    QTest::newRow("ASCII") << QByteArray("--help") << true << u"--help"_s;
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80") << true
                           << u"caf\u00e9 \u20ac \U0001F600"_s;
    // Its UTF-16 low half, DC80, is in the range that keeps bytes.
    QTest::newRow("U+10080") << QByteArray("\xf0\x90\x82\x80") << true << u"\U00010080"_s;
    QTest::newRow("Latin-1") << QByteArray("caf\xe9") << false << u"caf\\xE9"_s;
    QTest::newRow("lone continuation") << QByteArray("a\x80z") << false << u"a\\x80z"_s;
    QTest::newRow("cut short") << QByteArray("\xe2\x82") << false << u"\\xE2\\x82"_s;
    QTest::newRow("cut short, then ASCII") << QByteArray("\xe2\x82x") << false << u"\\xE2\\x82x"_s;
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false << u"\\xC0\\xAF"_s;
    QTest::newRow("overlong three bytes") << QByteArray("\xe0\x80\xaf") << false << u"\\xE0\\x80\\xAF"_s;
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false << u"\\xED\\xA0\\x80"_s;
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false << u"\\xF4\\x90\\x80\\x80"_s;
    QTest::newRow("FF") << QByteArray("\xff") << false << u"\\xFF"_s;
}

void TestProgramStart::arguments()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, utf8);
    QFETCH(QString, printable);

    const QString text = decodeArgument(bytes);
    QCOMPARE(encodeArgument(text), bytes);
    QCOMPARE(holdsInvalidBytes(text), !utf8);
    QCOMPARE(printableArgument(text), printable);
    if (utf8)
        QCOMPARE(text, QString::fromUtf8(bytes));
}

// Any bytes come back as they went in; and they are taken for UTF-8 exactly
// when Qt's own decoder takes them for UTF-8, then as the same text.
void TestProgramStart::randomBytesRoundTrip()
{
    QRandomGenerator random(20261207);
    // Pieces that make valid and broken sequences more often than random bytes do.
    const QList<QByteArray> pieces{"a",    "\x7f", "\x80", "\xbf", "\xc2", "\xdf", "\xe0", "\xed",
                                   "\xef", "\xf0", "\xf4", "\xf5", "\xff", "\xa0", "\x90", "\xc3\xa9"};
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        const int length = static_cast<int>(random.bounded(12));
        for (int i = 0; i < length; ++i)
            bytes += pieces.at(random.bounded(pieces.size()));
        const QString text = decodeArgument(bytes);
        QCOMPARE(encodeArgument(text), bytes);

        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString qtText = decoder.decode(bytes);
        QVERIFY2(holdsInvalidBytes(text) == decoder.hasError(), bytes.toHex(' ').constData());
        if (!decoder.hasError())
            QCOMPARE(text, qtText);
    }
}

// Each row: locale variables to set (all others unset). The character type
// must become UTF-8, every other category stay as the environment names it,
// and setting the locale from the environment again, as Qt does, must change
// nothing.
void TestProgramStart::utf8Locale_data()
{
    QTest::addColumn<QByteArrayList>("variables");
    QTest::addColumn<QByteArray>("characterType");

    QTest::newRow("none") << QByteArrayList{} << QByteArray("C.UTF-8");
    QTest::newRow("LC_ALL=C") << QByteArrayList{"LC_ALL=C"} << QByteArray("C.UTF-8");
    QTest::newRow("LC_ALL=POSIX") << QByteArrayList{"LC_ALL=POSIX"} << QByteArray("C.UTF-8");
    QTest::newRow("LANG=C") << QByteArrayList{"LANG=C"} << QByteArray("C.UTF-8");
    QTest::newRow("LC_ALL=C over LC_TIME") << QByteArrayList{"LC_ALL=C", "LC_TIME=C.UTF-8"} << QByteArray("C.UTF-8");
    QTest::newRow("LC_CTYPE=C under LANG=C.UTF-8")
        << QByteArrayList{"LANG=C.UTF-8", "LC_CTYPE=C"} << QByteArray("C.UTF-8");
    QTest::newRow("LC_ALL=C.UTF-8") << QByteArrayList{"LC_ALL=C.UTF-8"} << QByteArray("C.UTF-8");
    QTest::newRow("LANG=C.UTF-8, LC_MESSAGES=C")
        << QByteArrayList{"LANG=C.UTF-8", "LC_MESSAGES=C"} << QByteArray("C.UTF-8");
    QTest::newRow("a locale not installed") << QByteArrayList{"LANG=xx_YY.ISO-8859-1"} << QByteArray("C.UTF-8");
    if (installed("de_DE.UTF-8"))
        QTest::newRow("LC_ALL=de_DE.UTF-8") << QByteArrayList{"LC_ALL=de_DE.UTF-8"} << QByteArray("de_DE.UTF-8");
}

void TestProgramStart::utf8Locale()
{
    QFETCH(QByteArrayList, variables);
    QFETCH(QByteArray, characterType);

    for (const QByteArray &name : localeVariables())
        qunsetenv(name.constData());
    for (const QByteArray &variable : variables) {
        const qsizetype equals = variable.indexOf('=');
        qputenv(variable.left(equals).constData(), variable.mid(equals + 1));
    }
    // What the environment names for each category but the character type.
    std::setlocale(LC_ALL, "C");
    std::setlocale(LC_ALL, "");
    const QList<int> others{LC_COLLATE, LC_MONETARY, LC_NUMERIC, LC_TIME, LC_MESSAGES};
    QByteArrayList named;
    for (const int which : others)
        named.append(category(which));

    lexorra::useUtf8Locale();
    const QByteArray set = categories();
    QCOMPARE(category(LC_CTYPE), characterType);
    QCOMPARE(QByteArray(::nl_langinfo(CODESET)), QByteArray("UTF-8"));
    for (qsizetype i = 0; i < others.size(); ++i)
        QCOMPARE(category(others.at(i)), named.at(i));

    std::setlocale(LC_ALL, "");
    QCOMPARE(categories(), set);
}

QTEST_GUILESS_MAIN(TestProgramStart)
#include "tst_program_start.moc"
