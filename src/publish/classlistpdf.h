#pragma once

#include "classlists.h"
#include "printsheets.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quorvel {

struct Context;

// What the user chooses for printed class lists.
struct ListPrintOptions {
    QStringList columns = defaultListColumns();
    QString title = defaultListTitle();
};

// One sheet per class: its title, the head teacher and the head count under
// it, the chosen columns.
QVector<PrintSheet> classListSheets(const ClassLists& lists, const ListPrintOptions& options);
// The statistics table as a sheet (各班统计); nullopt without one.
std::optional<PrintSheet> statisticsSheet(const ClassLists& lists);

// The statistics build, then the class lists and the statistics as sheets
// (the statistics last). nullopt, with the message shown, when a student has
// no class or there is none; a column not known throws OperationError
// before anything is written.
std::optional<QVector<PrintSheet>> PrintableClassLists(const Context& ctx,
                                                       const ListPrintOptions& options);

// A name in the application folder no file holds yet: stem-20260901-0930.ext,
// else with -2, -3, … before the extension.
QString newPublishPath(const Context& ctx, const QString& stem, const QString& extension,
                       const QDateTime& when = QDateTime::currentDateTime());

// The file a publishing operation writes: path, or newPublishPath() when it
// is empty; one of the program's own files is refused (RequireOutputPath
// throws) before anything is read.
QString publishTarget(const Context& ctx, const QString& path, const QString& stem,
                      const QString& extension);
// path when written; otherwise "对不起，不能写入PATH。" under the application
// title, and an empty text.
QString reportWritten(const Context& ctx, const QString& path, bool written);

// The class lists and the statistics as a PDF at path (a new name of the
// folder when empty; a path of the program's own files is refused before
// anything is done). The path written; empty when refused or not written.
QString ClassListsPdf(const Context& ctx, const ListPrintOptions& options, QString path = {});

} // namespace quorvel
