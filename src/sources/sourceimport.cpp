#include "sourceimport.h"

#include "core/context.h"
#include "core/textfile.h"
#include "excel/template.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/publicrecord.h"
#include "store/rowset.h"
#include "store/store.h"
#include "store/students.h"
#include "store/versions.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <limits>

namespace quorvel {

QList<TargetColumn> studentColumns(const Context& ctx, const QStringList& scores)
{
    return targetColumns(OpenStore(ctx).columns(studentTable()), scores);
}

QList<TargetColumn> targetColumns(const QList<ColumnInfo>& table, const QStringList& scores)
{
    QList<TargetColumn> out;
    for (const ColumnInfo& c : table) {
        TargetColumn t{c.name, TargetColumn::Text, c.type.maxLength};
        if (c.name == keyColumn())
            t.kind = TargetColumn::Key;
        else if (c.name == sexColumn())
            t.kind = TargetColumn::Sex;
        else if (c.name == classColumn())
            t.kind = TargetColumn::Class;
        else if (c.name == totalColumn())
            t.kind = TargetColumn::Total;
        else if (scores.contains(c.name))
            t.kind = TargetColumn::Score;
        out.append(t);
    }
    return out;
}

namespace {

int chooseSheet(const SheetSource& source, const QString& wanted)
{
    if (source.sheetNames().isEmpty())
        throw OperationError(
            QStringLiteral("表格中没有数据：%1中没有工作表。").arg(source.fileName()));
    if (wanted.isEmpty())
        return 0;
    const int sheet = source.findSheet(wanted);
    if (sheet < 0)
        throw OperationError(QStringLiteral("表格中没有名为“%1”的工作表，只有：%2。")
                                 .arg(wanted, source.sheetNames().join(QStringLiteral("、"))));
    return sheet;
}

// The index in rows of the header row the options give or findHeaderRow
// finds.
int headerIndex(const QList<SheetRow>& rows, const SourceOptions& options,
                const QStringList& columns, const QStringList& subjects,
                const QStringList& sheetNames, const QString& sheet)
{
    if (options.headerRow > 0) {
        for (int i = 0; i < rows.size(); ++i)
            if (rows.at(i).number == options.headerRow)
                return i;
        throw OperationError(
            QStringLiteral("第%1行是空的，不能作为表头行。").arg(options.headerRow));
    }
    const int found = findHeaderRow(rows, columns, subjects, handHeaders(options.byHand));
    if (found >= 0)
        return found;
    QString text = QStringLiteral("在表格的前%1行中没有找到表头行（至少有两个单元格是数据库的列名，"
                                  "例如“编号”“姓名”）。请用表头行选项指定。")
                       .arg(kHeaderSearchRows);
    if (sheetNames.size() > 1)
        text += QStringLiteral("这里读的是工作表“%1”，表格中的工作表有：%2；学生名单在别的工作表中"
                               "时请选择那个工作表（命令行：--sheet 工作表名）。")
                    .arg(sheet, sheetNames.join(QStringLiteral("、")));
    throw OperationError(text);
}

} // namespace

SourceSheet readSourceSheet(const QString& path, const SourceOptions& options,
                            const QStringList& columns, const QStringList& subjects)
{
    const auto source = openSheetSource(path);
    const int sheet = chooseSheet(*source, options.sheet);
    SourceSheet read;
    read.sheetNames = source->sheetNames();
    read.sheet = read.sheetNames.at(sheet);
    read.rows = source->readSheet(sheet);
    read.contentNote = source->contentNote();
    // A workbook none of whose sheets holds a value.
    bool empty = read.rows.isEmpty();
    for (int i = 0; empty && i < read.sheetNames.size(); ++i)
        empty = i == sheet || source->readSheet(i, 1).isEmpty();
    if (empty)
        throw OperationError(
            QStringLiteral("表格中没有数据：%1的工作表都是空的。").arg(source->fileName()));
    read.header = headerIndex(read.rows, options, columns, subjects, read.sheetNames, read.sheet);
    return read;
}

StoredKeys readStoredKeys(Store& store)
{
    StoredKeys stored;
    qint64 highest = 0;
    const QHash<QString, int> classes = Students(store).classesByKey();
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        stored.keys.insert(it.key());
        bool whole = false;
        const qint64 n = it.key().toLongLong(&whole);
        if (whole && n > highest)
            highest = n;
    }
    stored.nextNumber = int(std::clamp<qint64>(highest + 1, 1, std::numeric_limits<int>::max()));
    return stored;
}

SourcePreview previewSource(const Context& ctx, const QString& path, const SourceOptions& options)
{
    QStringList scores;
    readScoreList(ctx, scores);
    const QList<TargetColumn> columns = studentColumns(ctx, scores);
    QStringList names;
    for (const TargetColumn& c : columns)
        names.append(c.name);
    const QStringList subjects = scores.mid(0, qMax(0, int(scores.size()) - 1));
    StoredKeys stored;
    if (options.add) {
        Store store = OpenStore(ctx);
        stored = readStoredKeys(store);
    }
    SourcePreview preview = previewSheet(readSourceSheet(path, options, names, subjects), columns,
                                         scores, options, stored);
    preview.path = path;
    return preview;
}

CheckOptions checkOptions(const SourceOptions& options, const StoredKeys& stored)
{
    CheckOptions check;
    check.firstNumber = options.number ? stored.nextNumber : 0;
    check.keepTotal = options.keepTotal;
    check.storedKeys = stored.keys;
    return check;
}

SourcePreview previewSheet(const SourceSheet& read, const QList<TargetColumn>& columns,
                           const QStringList& scores, const SourceOptions& options,
                           const StoredKeys& stored)
{
    SourcePreview preview;
    preview.add = options.add;
    preview.columns = columns;
    QStringList names;
    for (const TargetColumn& c : columns)
        names.append(c.name);
    const QStringList subjects = scores.mid(0, qMax(0, int(scores.size()) - 1));
    preview.sheetNames = read.sheetNames;
    preview.sheet = read.sheet;
    preview.rows = read.rows;
    const QList<SheetRow>& rows = preview.rows;
    const int header = read.header;
    preview.headerRow = rows.at(header).number;
    preview.mapping = mapColumns(rows.at(header), names, subjects, options.byHand);
    preview.checked = checkRows(rows.mid(header + 1), preview.mapping, preview.columns,
                                checkOptions(options, stored));
    preview.checked.contentNote = read.contentNote;
    return preview;
}

void requireStudents(const SourcePreview& preview)
{
    if (!preview.mapping.isMapped(keyColumn()) && preview.checked.numbered == 0) {
        QStringList names;
        for (const QString& name : usualNames(keyColumn(), {}))
            names.append(QStringLiteral("“%1”").arg(name));
        throw OperationError(
            QStringLiteral("表格中没有编号列，无法导入：表头行（第%1行）中没有%2中的任何一个，"
                           "而每个学生都要有编号。请指定编号所在的列（命令行：--map 编号=表头；"
                           "窗口中：在“从表格导入”的列对应中为“编号”选择表头），"
                           "或者选择自动编号（命令行：--number）。数据库没有改动。")
                .arg(preview.headerRow)
                .arg(names.join(QStringLiteral("、"))));
    }
    if (preview.add)
        requireNewStudents(preview.checked);
    else
        requireCheckedRows(preview.checked);
}

void requireCheckedRows(const CheckedRows& rows)
{
    if (rows.values.isEmpty())
        throw OperationError(
            QStringLiteral("表格中没有一行可以导入（详见上面的列表），导入会清空数据库，"
                           "所以没有导入。数据库没有改动。"));
}

namespace {

// When the rows lose anything the sheet holds, the keep-rest question
// (default No), after listAbove when given; true to go on.
bool keepRestAnswered(const Context& ctx, const CheckedRows& rows, const QString& listAbove)
{
    const QString question =
        (listAbove.isEmpty() ? QString() : listAbove + u'\n') + keepRestQuestion(rows);
    return !rows.losesData() ||
           ctx.prompt.question(question, appTitle(), PromptIcon::Exclamation, DefaultAnswer::No);
}

// excel.txt marked with 0 after the commit of an import.
void markImported(const Context& ctx)
{
    try {
        WriteExchangeMarker(ctx, 0);
    } catch (const OperationError& e) {
        // The students are in; only the marker is out of date.
        ctx.prompt.message(e.text());
    }
}

} // namespace

bool storeCheckedRows(const Context& ctx, const QList<TargetColumn>& columns,
                      const CheckedRows& rows, const ImportRecord& record, const QString& listAbove)
{
    requireCheckedRows(rows);
    if (!keepRestAnswered(ctx, rows, listAbove))
        return false;
    Store store = OpenStore(ctx);
    Transaction tr(store);
    ctx.readingDone();
    replaceStudents(store, columns, rows, record);
    tr.commit();
    markImported(ctx);
    return true;
}

namespace {

// Stores rows as new students; unplaced gives each of them class 0.
void insertStudents(Store& store, const QList<TargetColumn>& columns, const CheckedRows& rows,
                    bool unplaced)
{
    RowSet rs = RowSet::open(store, studentTable());
    QVector<int> at; // the set's column of each column, found once
    for (const TargetColumn& c : columns)
        at.append(rs.columnIndex(c.name));
    for (int r = 0; r < rows.values.size(); ++r) {
        rs.addNew();
        for (int c = 0; c < columns.size(); ++c) {
            const QVariant value = unplaced && columns.at(c).kind == TargetColumn::Class
                                       ? QVariant(0)
                                       : rows.values.at(r).at(c);
            if (at.at(c) < 0)
                rs.setValue(columns.at(c).name, value); // refused
            else
                rs.setValue(at.at(c), value);
        }
        if (!rs.update())
            throw OperationError(QStringLiteral("第%1行无法存入数据库：%2")
                                     .arg(rows.rowNumbers.at(r))
                                     .arg(rs.lastRefusal()));
    }
}

int keyColumnIndex(const QList<TargetColumn>& columns)
{
    for (int c = 0; c < columns.size(); ++c)
        if (columns.at(c).kind == TargetColumn::Key)
            return c;
    return -1;
}

} // namespace

void replaceStudents(Store& store, const QList<TargetColumn>& columns, const CheckedRows& rows,
                     const ImportRecord& record)
{
    requireRosterUnsealed(store);
    Students(store).removeAll();
    insertStudents(store, columns, rows, false);
    Versions(store).record(record.operation, record.detail);
}

void requireNewStudents(const CheckedRows& rows)
{
    if (rows.values.isEmpty())
        throw OperationError(QStringLiteral(
            "表格中没有一个新学生可以添加（详见上面的列表），所以没有添加。数据库没有改动。"));
}

bool addCheckedRows(const Context& ctx, const QList<TargetColumn>& columns, const CheckedRows& rows,
                    const QString& listAbove)
{
    requireNewStudents(rows);
    if (!keepRestAnswered(ctx, rows, listAbove))
        return false;
    Store store = OpenStore(ctx);
    Transaction tr(store);
    const StoredKeys stored = readStoredKeys(store);
    const int key = keyColumnIndex(columns);
    for (int r = 0; key >= 0 && r < rows.values.size(); ++r)
        if (const QString k = rows.values.at(r).at(key).toString(); stored.keys.contains(k))
            throw OperationError(QStringLiteral("第%1行的编号%2在检查表格之后已经存入了数据库，"
                                                "所以没有添加任何学生。数据库没有改动。")
                                     .arg(rows.rowNumbers.at(r))
                                     .arg(k));
    ctx.readingDone();
    insertStudents(store, columns, rows, true);
    Versions(store).record(QStringLiteral("添加插班生"),
                           QStringLiteral("%1人").arg(rows.values.size()));
    tr.commit();
    markImported(ctx);
    return true;
}

bool importPreview(const Context& ctx, const SourcePreview& preview)
{
    requireStudents(preview);
    if (preview.add)
        return addCheckedRows(ctx, preview.columns, preview.checked);
    if (!storeCheckedRows(ctx, preview.columns, preview.checked, workbookImportRecord(preview)))
        return false;
    rememberSource(ctx, preview);
    return true;
}

void rememberSource(const Context& ctx, const SourcePreview& preview)
{
    if (preview.path.isEmpty())
        return;
    QSaveFile file(ctx.file(sourceMemoryFile()));
    const QByteArray bytes = QStringLiteral("%1\n%2\n%3\n")
                                 .arg(QFileInfo(preview.path).absoluteFilePath(), preview.sheet)
                                 .arg(preview.headerRow)
                                 .toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        ctx.prompt.message(QStringLiteral("无法记下学生来自的表格：") + fileErrorReason(file),
                           appTitle());
}

std::optional<RememberedSource> rememberedSource(const Context& ctx)
{
    QFile file(ctx.file(sourceMemoryFile()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (lines.size() < 3 || !QFileInfo(lines.at(0)).isFile())
        return std::nullopt;
    return RememberedSource{lines.at(0), lines.at(1), lines.at(2).toInt()};
}

ImportRecord workbookImportRecord(const SourcePreview& preview)
{
    return {QStringLiteral("导入工作簿"),
            QStringLiteral("工作表%1，%2人").arg(preview.sheet).arg(preview.checked.values.size())};
}

} // namespace quorvel
