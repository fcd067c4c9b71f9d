// Any bytes as a letter file: decoding them in pieces gives the text of
// decoding them whole, and reading that text's records piece by piece gives
// the records of reading it whole and of the plain reading, down to how the
// reading ends.
#include "delimited_reader.h"
#include "letter_text.h"
#include "record_reading.h"
#include "runtime_error.h"

#include <cstdint>
#include <cstdlib>

using namespace lexorra::dictionary;
using namespace lexorra::testing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const DecodedText whole = decodeLetterText(bytes);

    // Piece sizes from 1 to 8 bytes, chosen by the input itself.
    const qsizetype step = size > 0 ? 1 + data[size - 1] % 8 : 1;
    LetterDecoder decoder;
    QString pieces;
    for (qsizetype pos = 0; pos < bytes.size(); pos += step)
        decoder.decode(bytes.sliced(pos, std::min(step, bytes.size() - pos)), pieces);
    decoder.finish(pieces);
    if (pieces != whole.text || decoder.encoding() != whole.encoding)
        std::abort();

    DelimitedReader wholeReader(whole.text);
    PieceSource source(whole.text, [step] { return step; });
    DelimitedReader streamReader;
    streamReader.reset(&source);
    const ReadOutcome read = readAllRecords(wholeReader);
    if (read != readAllRecords(streamReader) ||
        (whole.text.size() <= kMaxFieldLength && read != referenceRead(whole.text)))
        std::abort();
    return 0;
}
