#pragma once

#include "printsheets.h"

#include <QString>

namespace quorvel {

struct Context;

// The fingerprint in groups of four digits, for reading aloud.
QString groupedByFour(const QString& hex);

// The sheet of the public run (阳光分班记录), one A4 page or two: the
// fingerprint, the plan, the parts and the seed, the result digest, the
// changes after the run with their reasons and lines for the signatures;
// then every class with its head count, boys and girls, the averages of
// every score column and its head teacher. A PDF at path (a new name of the
// folder when empty); the path written, empty when there was no public run
// (its message) or the file could not be written.
QString PublicSheetPdf(const Context& ctx, QString path = {});

// The notice to post before the day (阳光分班名单封存公告): the fingerprint
// in groups of four, the counts of the roster by sex, the rules, the plan in
// words, the time of the seal and lines for the signatures. The path written;
// empty when the roster is not sealed (its message) or not written.
QString SealNoticePdf(const Context& ctx, QString path = {});

} // namespace quorvel
