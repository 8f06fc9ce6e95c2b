// Another program writing the classes at the very moment an operation has
// read what it decides on: every operation that writes the classes comes
// wholly before that write, never around it. The write waits for the
// operation's transaction and then moves every placed student one class on
// (4 to 1), so the classes at the end are the operation's own, moved on.
#include "adjust/autoadjust.h"
#include "adjust/exchange.h"
#include "adjust/transfer.h"
#include "adjust/typedclass.h"
#include "excel/biffwriter.h"
#include "excel/template.h"
#include "history/history.h"
#include "sources/sourceimport.h"
#include "sources/templateimport.h"
#include "stats/statistics.h"
#include "store/store.h"

#include "support/intake.h"
#include "support/interleaving.h"

#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

constexpr int kClasses = 4;

QString id(int i)
{
    return QStringLiteral("s%1").arg(i, 2, 10, QChar(u'0'));
}

// Forty students in four classes of ten, boys and girls alternating, the
// classes' averages of 总分 apart.
QVector<Student> intake()
{
    QVector<Student> students;
    for (int i = 0; i < 40; ++i)
        students.append(
            {id(i),
             i % 2 ? "男" : "女",
             double(300 - 3 * i),
             {{QStringLiteral("数学"), double(i * 7 % 61)}, {QStringLiteral("班级"), i / 10 + 1}}});
    return students;
}

void moveClassesOn(Store& store)
{
    store.exec(
        QStringLiteral("UPDATE studscore SET 班级 = 班级 % %1 + 1 WHERE 班级 > 0").arg(kClasses));
}

// The intake again, as rows of the template or of a workbook: the classes
// turned round (1 to 4), so that the import changes them.
QVector<QVariantList> intakeRows()
{
    QVector<QVariantList> rows{{"编号", "姓名", "性别", "班级", "数学", "总分"}};
    for (const Student& s : intake())
        rows.append({s.id, QStringLiteral("学生") + s.id, s.sex,
                     kClasses + 1 - s.fields.value(QStringLiteral("班级")).toInt(),
                     s.fields.value(QStringLiteral("数学")), s.total});
    return rows;
}

void writeCsv(const QString& path, const QVector<QVariantList>& rows)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (const QVariantList& row : rows) {
        QStringList cells;
        for (const QVariant& v : row)
            cells.append(v.toString());
        f.write((cells.join(u',') + QStringLiteral("\r\n")).toUtf8());
    }
}

qint64 firstVersion(Sandbox& sb)
{
    const QVector<VersionInfo> versions = VersionList(sb.ctx);
    return versions.isEmpty() ? 0 : versions.first().id;
}

// Each operation: what it needs first, then the operation; false when it
// did not go through.
struct Road {
    std::function<void(Sandbox&)> prepare;
    std::function<bool(Sandbox&)> run;
};

Road road(const QString& operation)
{
    const auto nothing = [](Sandbox&) {};
    const auto transferred = [](Sandbox& sb) {
        recordVersion(sb, QStringLiteral("导入模板数据"));
        QVERIFY(TransferStudent(sb.ctx, id(0), QStringLiteral("3")).has_value());
    };
    if (operation == u"automatic adjustment, one pass")
        return {[](Sandbox& sb) { QCOMPARE(tongji(sb.ctx), StatsOutcome::Built); },
                [](Sandbox& sb) { return AdjustPass(sb.ctx) == AdjustOutcome::Finished; }};
    if (operation == u"transfer")
        return {nothing, [](Sandbox& sb) {
                    return bool(TransferStudent(sb.ctx, id(0), QStringLiteral("2")).has_value());
                }};
    if (operation == u"exchange")
        return {nothing, [](Sandbox& sb) { return ExchangeStudents(sb.ctx, id(0), id(39)).done; }};
    if (operation == u"typed class")
        return {nothing, [](Sandbox& sb) { return SaveTypedClass(sb.ctx, {id(5), 4}).saved; }};
    if (operation == u"undo")
        return {transferred, [](Sandbox& sb) { return UndoChange(sb.ctx).has_value(); }};
    if (operation == u"restore")
        return {transferred, [](Sandbox& sb) {
                    return RestoreVersion(sb.ctx, firstVersion(sb), true).restored;
                }};
    if (operation == u"template import")
        return {[](Sandbox& sb) {
                    QString error;
                    QVERIFY2(writeBiff5Workbook(sb.ctx.file(templateFile()),
                                                QStringLiteral("sheet1"), intakeRows(), &error),
                             qPrintable(error));
                },
                [](Sandbox& sb) { return ImportTemplate(sb.ctx); }};
    if (operation == u"workbook import")
        return {
            [](Sandbox& sb) { writeCsv(sb.ctx.file(QStringLiteral("学生.csv")), intakeRows()); },
            [](Sandbox& sb) {
                const SourcePreview preview =
                    previewSource(sb.ctx, sb.ctx.file(QStringLiteral("学生.csv")), {});
                return importPreview(sb.ctx, preview);
            }};
    qFatal("no road %s", qPrintable(operation));
}

void prepared(Sandbox& sb, const Road& r)
{
    makeStore(sb, {QStringLiteral("数学")});
    addStudents(sb, intake());
    r.prepare(sb);
    sb.prompt.messages.clear();
}

} // namespace

class TestRaces : public QObject {
    Q_OBJECT

private slots:
    void operationBeforeAnotherWrite_data()
    {
        QTest::addColumn<QString>("operation");
        for (const char* operation :
             {"automatic adjustment, one pass", "transfer", "exchange", "typed class", "undo",
              "restore", "template import", "workbook import"})
            QTest::newRow(operation) << QString::fromUtf8(operation);
    }
    void operationBeforeAnotherWrite()
    {
        QFETCH(QString, operation);
        const Road r = road(operation);
        // The same operation alone, then the write: what the race must give.
        Sandbox alone;
        prepared(alone, r);
        const QMap<QString, int> before = classesById(alone);
        QVERIFY(r.run(alone));
        const QMap<QString, int> operated = classesById(alone);
        QVERIFY(operated != before);
        writeAside(alone.dir.path(), moveClassesOn);
        const QMap<QString, int> expected = classesById(alone);

        Sandbox sb;
        prepared(sb, r);
        Interleaving race(sb, moveClassesOn);
        QVERIFY2(r.run(sb), qPrintable(sb.prompt.messages.join(u'\n')));
        race.join();
        QVERIFY(race.storeWasHeld());
        QVERIFY(race.wrote());
        QCOMPARE(classesById(sb), expected);
    }
};

QTEST_GUILESS_MAIN(TestRaces)
#include "test_races.moc"
