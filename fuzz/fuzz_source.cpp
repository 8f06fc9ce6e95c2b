// libFuzzer target over one reader of users' workbooks, chosen when it is
// built (QUORVEL_FUZZ_FORMAT): the input bytes are read as a workbook of
// that format, every sheet to its end; fuzz_source_any reads them by their
// content, as a file is opened, and so reaches every reader. A refusal (OperationError) is a
// correct outcome; any crash, sanitizer report or other exception is a
// finding.
//
//   build-fuzz/fuzz/fuzz_source_xlsx CORPUS_DIR fuzz/seeds/xlsx
#include "sources/sheetsource.h"
#include "store/errors.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
#ifdef QUORVEL_FUZZ_FORMAT
        auto source = quorvel::sheetSourceFromBytes(
            bytes, quorvel::SourceFormat::QUORVEL_FUZZ_FORMAT, QStringLiteral("fuzz"));
#else
        auto source = quorvel::sheetSourceFromBytes(bytes, QStringLiteral("fuzz.xls"));
#endif
        for (int i = 0; i < source->sheetNames().size(); ++i)
            source->readRows(i, [](const quorvel::SheetRow& row) { return row.number > 0; });
    } catch (const quorvel::OperationError&) {
    }
    return 0;
}
