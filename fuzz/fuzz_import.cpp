// libFuzzer target over the whole import: the input bytes become the
// template myexcel.xls of a scratch folder and are imported into its store.
// Any crash or sanitizer report, and any outcome other than "refused with
// studscore unchanged" or "every data row imported", is a finding.
//
//   build-fuzz/fuzz/fuzz_import CORPUS_DIR tests/excel/fixtures/import-corpus
#include "support/importprobe.h"

#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorvel::test::ImportProbe probe;
    const QByteArray workbook(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString broken = probe.check(workbook);
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "import invariant broken: %s\n", qPrintable(broken));
        std::abort();
    }
    return 0;
}
