// Each vectorised text scan against its plain version, on inputs built to hit
// the edges: lengths on both sides of the vector widths, the characters that
// stop a scan at every position (or nowhere), and look-alikes that share a
// byte with them.
#include "text_scans.h"

#include <QRandomGenerator>
#include <QTest>

#include <functional>
#include <vector>

using namespace lexorra::dictionary;

namespace {

// Calls @p check with every text of 0 to 140 units drawn from @p fill, with a
// unit of @p stops at each position in turn, or at none, and then at two
// random positions; several draws each.
template <typename Unit>
void forEdgeTexts(const std::vector<Unit> &fill, const std::vector<Unit> &stops,
                  const std::function<void(const std::vector<Unit> &)> &check)
{
    QRandomGenerator random(20261207);
    for (int length = 0; length <= 140; ++length) {
        for (int stopAt = -1; stopAt <= length; ++stopAt) {
            for (int draw = 0; draw < 4; ++draw) {
                std::vector<Unit> text(static_cast<size_t>(length));
                for (Unit &unit : text)
                    unit = fill[random.bounded(int(fill.size()))];
                const auto stop = [&](int at) { text[size_t(at)] = stops[random.bounded(int(stops.size()))]; };
                if (stopAt >= 0 && stopAt < length)
                    stop(stopAt);
                if (stopAt == length && length > 0) {
                    stop(random.bounded(length));
                    stop(random.bounded(length));
                }
                check(text);
                if (QTest::currentTestFailed())
                    return;
            }
        }
    }
}

} // namespace

class TestTextScans : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void indexOfAny();
    void toLatin1();
    void widenAscii();
    void quotesAndBreaks64();
};

void TestTextScans::init()
{
#ifndef __SSE2__
    QSKIP("this processor has no vectorised versions to compare");
#endif
}

#ifdef __SSE2__
void TestTextScans::indexOfAny()
{
    // The delimiters of a quoted and of an unquoted field, among characters
    // that share their low or high byte.
    const std::vector<char16_t> fill{u'a',      u' ',      u'\u012C', u'\u2C00', u'\u010A', u'\u0D0D',
                                     u'\u00E9', u'\u8022', u'\uFF2C', u'\uFFFF', u'\0'};
    forEdgeTexts<char16_t>(fill, {u',', u'\n', u'\r', u'"'}, [](const std::vector<char16_t> &text) {
        const qsizetype size = qsizetype(text.size());
        for (qsizetype from = 0; from <= std::min<qsizetype>(size, 9); ++from) {
            for (const char16_t first : {u',', u'"'}) {
                const qsizetype plainAt = plain::indexOfAny(text.data(), from, size, first, u'\n', u'\r');
                const qsizetype fastAt = sse2::indexOfAny(text.data(), from, size, first, u'\n', u'\r');
                QCOMPARE(fastAt, plainAt);
            }
        }
    });
}

void TestTextScans::toLatin1()
{
    const std::vector<char16_t> fill{u'a', u'\0', u'\u007F', u'\u0080', u'\u00E9', u'\u00FF'};
    forEdgeTexts<char16_t>(fill, {u'\u0100', u'\u01FF', u'\u8000', u'\uFF00', char16_t(0xD83D), u'\u20AC'},
                           [](const std::vector<char16_t> &text) {
                               const QStringView view(text.data(), qsizetype(text.size()));
                               QByteArray plainOut(view.size(), '?');
                               QByteArray fastOut(view.size(), '?');
                               const bool plainFits = plain::toLatin1(view, plainOut.data());
                               QCOMPARE(sse2::toLatin1(view, fastOut.data()), plainFits);
                               if (plainFits)
                                   QCOMPARE(fastOut, plainOut);
                           });
}

void TestTextScans::widenAscii()
{
    const std::vector<unsigned char> fill{'a', '\0', ',', '\n', 0x7F};
    forEdgeTexts<unsigned char>(fill, {0x80, 0xC3, 0xE9, 0xFF}, [](const std::vector<unsigned char> &bytes) {
        const qsizetype size = qsizetype(bytes.size());
        std::vector<char16_t> plainOut(bytes.size());
        std::vector<char16_t> fastOut(bytes.size());
        const qsizetype ascii = plain::widenAscii(bytes.data(), size, plainOut.data());
        QCOMPARE(sse2::widenAscii(bytes.data(), size, fastOut.data()), ascii);
        QVERIFY(std::equal(plainOut.begin(), plainOut.begin() + ascii, fastOut.begin()));
    });
}
void TestTextScans::quotesAndBreaks64()
{
    const std::vector<char16_t> fill{u'a', u',', u' ', u'\u0122', u'\u220D', u'\u0A0A', u'\uFF22', u'\0'};
    forEdgeTexts<char16_t>(fill, {u'"', u'\n', u'\r'}, [](const std::vector<char16_t> &text) {
        for (size_t from = 0; from + 64 <= text.size(); from += 7)
            QCOMPARE(sse2::quotesAndBreaks64(text.data() + from), plain::quotesAndBreaks64(text.data() + from));
    });
}
#else
void TestTextScans::quotesAndBreaks64() {}
void TestTextScans::indexOfAny() {}
void TestTextScans::toLatin1() {}
void TestTextScans::widenAscii() {}
#endif

QTEST_GUILESS_MAIN(TestTextScans)
#include "tst_text_scans.moc"
