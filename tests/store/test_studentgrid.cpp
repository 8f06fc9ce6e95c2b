// The content of the main window's student grid.
#include "core/textfile.h"
#include "store/errors.h"
#include "store/studentgrid.h"
#include "support/storeintake.h"

#include <QFile>
#include <QTest>

using namespace quorvel;
using quorvel::test::Sandbox;
using quorvel::test::Student;

class TestStudentGrid : public QObject {
    Q_OBJECT
private slots:
    void columns_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<int>("conditions");
        QTest::addColumn<bool>("useConditions");
        QTest::newRow("no optional field")
            << QStringList{} << QStringList{"学号", "姓名", "性别", "班级", "总分"} << 0 << false;
        QTest::newRow("school and two subjects")
            << QStringList{"数学", "原学校", "语文"}
            << QStringList{"学号", "姓名", "性别", "班级", "原学校", "语文", "数学", "总分"} << 1
            << true;
        QTest::newRow("conditions only")
            << QStringList{"品质等级", "是否住宿"}
            << QStringList{"学号", "姓名", "性别", "班级", "品质等级", "是否住宿", "总分"} << 2
            << true;
    }
    void columns()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, headers);
        QFETCH(int, conditions);
        QFETCH(bool, useConditions);
        Sandbox sb;
        test::buildStore(sb, fields);
        const StudentGrid grid = ReadStudentGrid(sb.ctx);
        QCOMPARE(grid.headers, headers);
        QCOMPARE(grid.conditionCount, conditions);
        QCOMPARE(sb.state.UseConditions, useConditions);
        QCOMPARE(sb.state.FieldListEmpty, !useConditions);
    }

    void emptyTable()
    {
        Sandbox sb;
        test::buildStore(sb, {"语文"});
        const StudentGrid grid = ReadStudentGrid(sb.ctx);
        QCOMPARE(grid.label, QStringLiteral("共有0人"));
        QCOMPARE(grid.studentCount, 0);
        QCOMPARE(grid.rowCount(), 2);
        QVERIFY(grid.cells.isEmpty());
        QCOMPARE(studentGridLines(grid),
                 (QStringList{"学号\t姓名\t性别\t班级\t语文\t总分", "共有0人"}));
    }

    void cells()
    {
        Sandbox sb;
        test::buildStore(sb, {"原学校", "语文", "数学"});
        // Stored in this order, which is not the order of 编号.
        QVector<Student> students =
            test::parseIntake("2026003/男/175.5 2026001/女/85.1 2026002/男/0");
        students[0].fields = {{"原学校", "实验小学"}, {"语文", 90}, {"数学", 85.5}, {"班级", 0}};
        students[1].fields = {
            {"原学校", QVariant()}, {"语文", 85.1}, {"数学", QVariant()}, {"班级", 12}};
        students[2].fields = {{"姓名", QVariant()}, {"班级", QVariant()}};
        test::addStudents(sb, students);

        const StudentGrid grid = ReadStudentGrid(sb.ctx);
        QCOMPARE(grid.studentCount, 3);
        QCOMPARE(grid.rowCount(), 5);
        QCOMPARE(grid.label, QStringLiteral("共有3人"));
        const auto row = [&](int r) {
            QStringList out;
            for (int c = 0; c < grid.columnCount(); ++c)
                out.append(grid.cell(r, c));
            return out;
        };
        QCOMPARE(row(0), (QStringList{" 2026003", "学生2026003", "男", "0", "实验小学", "90",
                                      "85.5", "175.5"}));
        // Singles in their shortest single-precision form: 85.1, not 85.09999847.
        QCOMPARE(row(1),
                 (QStringList{" 2026001", "学生2026001", "女", "12", "", "85.1", "", "85.1"}));
        QCOMPARE(row(2), (QStringList{" 2026002", "", "男", "", "", "", "", "0"}));
        // The empty last row.
        QCOMPARE(row(3), QStringList(grid.columnCount(), QString()));

        const QStringList lines = studentGridLines(grid);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("学号\t姓名\t性别\t班级\t原学校\t语文\t数学\t总分"));
        QCOMPARE(lines[2], QStringLiteral(" 2026001\t学生2026001\t女\t12\t\t85.1\t\t85.1"));
        QCOMPARE(lines[4], QStringLiteral("共有3人"));
    }

    void emptyConditionListAfterAnEarlierRead()
    {
        // ziduan2.txt emptied behind the program's back: the condition
        // columns leave the grid, the scores move up.
        Sandbox sb;
        test::buildStore(sb, {"原学校", "语文"});
        test::addStudents(sb, test::parseIntake("1/男/80/实验小学/80", {"原学校", "语文"}));
        QCOMPARE(ReadStudentGrid(sb.ctx).columnCount(), 7);
        writeGbkLines(sb.ctx.file(QStringLiteral("ziduan2.txt")), {});
        const StudentGrid grid = ReadStudentGrid(sb.ctx);
        QCOMPARE(grid.headers, (QStringList{"学号", "姓名", "性别", "班级", "语文", "总分"}));
        QCOMPARE(grid.conditionCount, 0);
        QCOMPARE(grid.cell(0, 4), QStringLiteral("实验小学")); // by position, as the table has it
        QVERIFY(!sb.state.UseConditions);
    }

    void failures()
    {
        Sandbox sb;
        QVERIFY_THROWS_EXCEPTION(OperationError, ReadStudentGrid(sb.ctx)); // no store
        test::buildStore(sb, {});
        QFile::remove(sb.ctx.file(QStringLiteral("ziduan3.txt")));
        QVERIFY_THROWS_EXCEPTION(OperationError, ReadStudentGrid(sb.ctx));
    }
};

QTEST_GUILESS_MAIN(TestStudentGrid)
#include "test_studentgrid.moc"
