#pragma once

#include <QString>
#include <QStringList>

namespace quorvel::test {

// The text of every page of a PDF as Debian's pdftotext reads it back (in
// layout mode); empty when the file cannot be read.
QStringList pdfPages(const QString& path);

// Whether pdftotext is there; a test that needs it says so when it is not.
bool pdfToolsPresent();

// Whether the test packages are meant to be installed (scripts/test.sh and
// CI set QUORVEL_REQUIRE_TOOLS): a missing tool is then a failure, not a skip.
bool toolsRequired();

// Skips the test (or fails it where the tools are required) without a tool.
#define QUORVEL_REQUIRE_TOOL(present, what)                                                        \
    do {                                                                                           \
        if (!(present)) {                                                                          \
            if (quorvel::test::toolsRequired())                                                    \
                QFAIL(what " is required here but not installed");                                 \
            QSKIP(what " is not installed: skipped");                                              \
        }                                                                                          \
    } while (false)

} // namespace quorvel::test
