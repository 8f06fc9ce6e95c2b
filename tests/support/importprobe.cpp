#include "importprobe.h"

#include "excel/import.h"
#include "excel/template.h"
#include "excel/xlsreader.h"
#include "intake.h"
#include "sources/templateimport.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"

#include <QFile>
#include <QSet>

namespace quorvel::test {

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every row of studscore as one line, in stored order.
QStringList dumpStudents(const Context& ctx)
{
    Store store = OpenStore(ctx);
    const RowSet rs = RowSet::open(store, studentTable());
    QStringList lines;
    for (int r = 0; r < rs.rowCount(); ++r) {
        QStringList cells;
        for (const QVariant& v : rs.row(r))
            cells.append(v.isNull() ? QStringLiteral("<null>") : v.toString());
        lines.append(cells.join(u'|'));
    }
    return lines;
}

} // namespace

ImportProbe::ImportProbe()
{
    m_sb.prompt.defaultAnswer = true;
    makeStore(m_sb, {QStringLiteral("原学校"), QStringLiteral("是否班干部"), QStringLiteral("语文"),
                     QStringLiteral("数学")});
    addStudents(m_sb, parseIntake(QStringLiteral("s1/男/150 s2/女/170")));
    m_pristine = readFile(m_sb.ctx.file(Store::fileName()));
    m_pristineRows = dumpStudents(m_sb.ctx);
}

QString ImportProbe::check(const QByteArray& workbook)
{
    const QString db = m_sb.ctx.file(Store::fileName());
    if (m_dirty && !writeFile(db, m_pristine))
        return QStringLiteral("the scratch store could not be put back");
    m_dirty = false;
    if (!writeFile(m_sb.ctx.file(templateFile()), workbook))
        return QStringLiteral("the workbook could not be written");
    m_sb.prompt.messages.clear();
    m_imported = false;
    try {
        m_imported = ImportTemplate(m_sb.ctx);
    } catch (const OperationError& e) {
        m_sb.prompt.message(e.text(), appTitle(), PromptIcon::None);
    }
    m_dirty = m_imported;
    return m_imported ? checkImported() : checkRefused();
}

QString ImportProbe::checkRefused()
{
    if (m_sb.prompt.messages.isEmpty())
        return QStringLiteral("refused without a message");
    if (dumpStudents(m_sb.ctx) != m_pristineRows)
        return QStringLiteral("refused, but studscore changed");
    return {};
}

// The 编号 of the data rows as the store takes them, first occurrences only.
QStringList ImportProbe::expectedIds()
{
    XlsWorkbook book(m_sb.ctx.file(templateFile()));
    const int sheet = book.findSheet(QStringLiteral("sheet1"));
    if (book.status() != XlsStatus::Ok || !book.selectSheet(sheet))
        return {QStringLiteral("<unreadable>")};
    ColumnType keyType;
    {
        Store store = OpenStore(m_sb.ctx);
        keyType = store.columns(studentTable()).at(0).type;
    }
    // As the import's check takes a 编号: blanks trimmed, no control
    // character, no longer than the column.
    QStringList ids;
    QSet<QString> seen;
    for (int r = 1;; ++r) {
        const auto a = book.cell(r, 0);
        if (!a || templateCellValue(*a).isNull())
            break;
        const QString key = a->typeId() == QMetaType::Double
                                ? QString::number(a->toDouble(), 'g', 15)
                                : a->toString().trimmed();
        const bool control = std::any_of(
            key.begin(), key.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
        if (key.isEmpty() || control || key.size() > keyType.maxLength || seen.contains(key))
            continue;
        seen.insert(key);
        ids.append(keyType.coerce(key).toString());
    }
    return ids;
}

QString ImportProbe::checkImported()
{
    Store store = OpenStore(m_sb.ctx);
    const QVariantList stored =
        store.column(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                         .arg(quoteIdent(keyColumn()), quoteIdent(studentTable())));
    QStringList ids;
    for (const QVariant& v : stored)
        ids.append(v.toString());
    const QStringList expected = expectedIds();
    if (ids != expected)
        return QStringLiteral("imported %1 rows where the file has %2")
            .arg(ids.size())
            .arg(expected.size());
    if (ids.isEmpty())
        return QStringLiteral("imported a workbook without data rows");
    return {};
}

} // namespace quorvel::test
