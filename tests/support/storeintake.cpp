#include "storeintake.h"

#include "store/fieldlists.h"
#include "store/recordtables.h"
#include "store/rowset.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/versions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <algorithm>

namespace quorvel::test {

namespace {

void chooseField(CreateOptions& o, const QString& field)
{
    if (field == u"原学校")
        o.school = true;
    else if (field == u"品质等级")
        o.grade = true;
    else if (field == u"是否农民工子女")
        o.migrant = true;
    else if (field == u"是否班干部")
        o.cadre = true;
    else if (const int s = int(subjectNames().indexOf(field)); s >= 0)
        o.subjects[s] = true;
    else if (!o.custom1) {
        o.custom1 = true;
        o.custom1Name = field;
    } else {
        o.custom2 = true;
        o.custom2Name = field;
    }
}

Store open(Sandbox& sb)
{
    return Store(sb.ctx.file(Store::fileName()));
}

} // namespace

CreateOptions createOptions(const QStringList& fields)
{
    CreateOptions o;
    for (const QString& f : fields)
        chooseField(o, f);
    return o;
}

void buildStore(Sandbox& sb, const QStringList& fields)
{
    RebuildStore(sb.ctx, createOptions(fields));
}

void addStudents(Sandbox& sb, const QVector<Student>& students)
{
    Store store = open(sb);
    Transaction tr(store);
    RowSet rs = RowSet::open(store, studentTable(), QStringLiteral("0"));
    for (const Student& s : students) {
        rs.addNew();
        rs.setValue(keyColumn(), s.id);
        rs.setValue(QStringLiteral("姓名"), QStringLiteral("学生") + s.id);
        rs.setValue(sexColumn(), s.sex);
        rs.setValue(classColumn(), 0);
        rs.setValue(totalColumn(), s.total);
        for (auto it = s.fields.cbegin(); it != s.fields.cend(); ++it)
            rs.setValue(it.key(), it.value());
        if (!rs.update())
            qFatal("student %s refused: %s", qPrintable(s.id), qPrintable(rs.lastRefusal()));
    }
    tr.commit();
}

void recordVersion(Sandbox& sb, const QString& operation)
{
    Store store = open(sb);
    Transaction tr(store);
    Versions(store).record(operation);
    tr.commit();
}

QVector<Student> parseIntake(const QString& text, const QStringList& columns)
{
    QVector<Student> out;
    for (const QString& item : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(u'/');
        if (parts.size() != 3 + columns.size())
            qFatal("bad intake item %s", qPrintable(item));
        Student s{parts[0], parts[1], parts[2].toDouble(), {}};
        for (int i = 0; i < columns.size(); ++i)
            s.fields.insert(columns[i], parts[3 + i] == u"-" ? QVariant() : QVariant(parts[3 + i]));
        out.append(s);
    }
    return out;
}

QVector<Student> quarterApartIntake()
{
    QVector<Student> students;
    const auto add = [&](const QString& prefix, int cls, const QVector<double>& totals) {
        for (int i = 0; i < totals.size(); ++i)
            students.append(Student{prefix + QString::number(i),
                                    QStringLiteral("女"),
                                    totals.at(i),
                                    {{classColumn(), cls}}});
    };
    add(QStringLiteral("h"), 1,
        QVector<double>{70, 72} + QVector<double>(17, 86.5) + QVector<double>{87.5});
    add(QStringLiteral("l"), 2,
        QVector<double>{69, 71} + QVector<double>(17, 86) + QVector<double>{93});
    return students;
}

QMap<QString, int> classesById(Sandbox& sb)
{
    Store store = open(sb);
    RowSet rs = RowSet::open(store, studentTable());
    QMap<QString, int> out;
    for (int r = 0; r < rs.rowCount(); ++r) {
        const QVariant c = rs.row(r).at(3);
        out.insert(rs.row(r).at(0).toString(), c.isNull() ? -1 : c.toInt());
    }
    return out;
}

QString classesOf(Sandbox& sb, const QStringList& ids)
{
    const QMap<QString, int> classes = classesById(sb);
    QStringList out;
    for (const QString& id : ids)
        out.append(QString::number(classes.value(id, -2)));
    return out.join(u' ');
}

QString classSizes(Sandbox& sb)
{
    QMap<int, int> count;
    for (int c : classesById(sb))
        ++count[c];
    QStringList out;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        out.append(QStringLiteral("%1:%2").arg(it.key()).arg(it.value()));
    return out.join(u' ');
}

int countWhere(Sandbox& sb, const QString& where)
{
    Store store = open(sb);
    return store.column("SELECT count(*) FROM studscore WHERE " + where).value(0).toInt();
}

QStringList storedIds(Sandbox& sb)
{
    Store store = open(sb);
    QStringList out;
    for (const QVariant& v : store.column(QStringLiteral("SELECT \"编号\" FROM studscore")))
        out.append(v.toString());
    std::sort(out.begin(), out.end());
    return out;
}

QMap<QString, QByteArray> folderFiles(const QString& folder)
{
    QMap<QString, QByteArray> out;
    const QDir dir(folder);
    for (const QFileInfo& f : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile file(f.filePath());
        out.insert(f.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?"));
    }
    return out;
}

QStringList storeTables(Sandbox& sb)
{
    Store store = open(sb);
    QStringList tables = store.tables();
    tables.removeIf(Versions::isHistoryTable);
    tables.removeIf([](const QString& t) { return isRecordTable(t); });
    return tables;
}

} // namespace quorvel::test
