// The sheet of the public run: every class's count of each value of every
// condition, read back from the PDF and compared with a tally of the store.
#include "public/plan.h"
#include "public/run.h"
#include "public/seal.h"
#include "publish/publicsheet.h"
#include "store/rowset.h"
#include "store/store.h"
#include "support/intake.h"
#include "support/pdftext.h"

#include <QRegularExpression>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// How many students of each class hold the value of column (trimmed).
QMap<int, int> tally(Sandbox& sb, const QString& column, const QString& value)
{
    Store store(sb.ctx.file(Store::fileName()));
    const RowSet rs = RowSet::open(store, QStringLiteral("studscore"));
    const int cls = rs.columnIndex(QStringLiteral("班级")), at = rs.columnIndex(column);
    QMap<int, int> out;
    for (int r = 0; r < rs.rowCount(); ++r)
        if (rs.row(r).at(at).toString().trimmed() == value)
            ++out[rs.row(r).at(cls).toInt()];
    return out;
}

} // namespace

class TestPublicSheet : public QObject {
    Q_OBJECT
private slots:
    // schools and leaders: the values of 原学校 and 是否班干部 dealt to the
    // students in turn; rows: the condition rows of the sheet, in order.
    void conditionValuesAreCountedPerClass_data()
    {
        QTest::addColumn<QStringList>("schools");
        QTest::addColumn<QStringList>("leaders");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("three schools, 是 before 否")
            << QStringList{"一小", "二小", "三小"} << QStringList{"否", "否", "是"}
            << QStringList{"原学校：", "一小", "三小", "二小", "是否班干部：", "是", "否"};
        QTest::newRow("a school in one class only, counted 0 in the others")
            << (QStringList(23, "一小") << "特校") << QStringList{"否"}
            << QStringList{"原学校：", "一小", "特校", "是否班干部：", "否"};
        QTest::newRow("blanks around a value are dropped, an empty value is not counted")
            << QStringList{" 一小", "一小 ", ""} << QStringList{"是", ""}
            << QStringList{"原学校：", "一小", "是否班干部：", "是"};
    }
    void conditionValuesAreCountedPerClass()
    {
        QUORVEL_REQUIRE_TOOL(pdfToolsPresent(), "pdftotext");
        QFETCH(QStringList, schools);
        QFETCH(QStringList, leaders);
        QFETCH(QStringList, rows);
        Sandbox sb;
        makeStore(sb, {"原学校", "是否班干部"});
        QVector<Student> students;
        for (int i = 0; i < 24; ++i)
            students.append(Student{QStringLiteral("20270%1").arg(i + 10),
                                    i % 2 ? "女" : "男",
                                    300.0 - i,
                                    {{"原学校", schools.at(i % schools.size())},
                                     {"是否班干部", leaders.at(i % leaders.size())}}});
        addStudents(sb, students);
        QVERIFY(FreezeRoster(
            sb.ctx,
            {"custom", {"classes=3", "top=0", "conditions=", "use_conditions=0"}, false, {}}));
        QVERIFY(PublicRun(sb.ctx, {QStringLiteral("1")}));
        const QStringList pages = pdfPages(PublicSheetPdf(sb.ctx, sb.ctx.file("记录.pdf")));
        QCOMPARE(pages.size(), 2);

        // The condition rows in the order printed: from the first condition
        // to the first average, each value under its condition's row.
        QStringList seen;
        QString column;
        bool inside = false;
        for (const QString& line : pages.join(u'\n').split(u'\n')) {
            const QStringList cells = line.trimmed().split(
                QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            inside = (inside || line.contains(QStringLiteral("原学校："))) &&
                     !line.contains(QStringLiteral("平均分"));
            if (!inside || cells.isEmpty())
                continue;
            seen.append(cells.first());
            if (cells.first().endsWith(QStringLiteral("："))) {
                column = cells.first().chopped(1);
                QCOMPARE(cells.size(), 1);
                continue;
            }
            const QMap<int, int> counts = tally(sb, column, cells.first());
            QStringList expected{cells.first()};
            for (int c = 1; c <= 3; ++c)
                expected.append(QString::number(counts.value(c)));
            QCOMPARE(cells, expected);
        }
        QCOMPARE(seen, rows);
    }
};

QTEST_MAIN(TestPublicSheet)
#include "test_publicsheet.moc"
