// The student grid of the main window filled from the store.
#include "shell/window/studentgridview.h"
#include "support/intake.h"

#include "core/textfile.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTest>

using namespace quorvel;
using quorvel::test::Sandbox;

class TestStudentGridView : public QObject {
    Q_OBJECT
private slots:
    void twips()
    {
        QCOMPARE(twipsToPixels(1500), 100);
        QCOMPARE(twipsToPixels(900), 60);
        QCOMPARE(twipsToPixels(500), 33);
        QCOMPARE(twipsToPixels(1300), 87);
    }

    // The conditions are 87 pixels wide, 班级 and the scores keep the
    // grid's default (-1), whatever order the fields were chosen in.
    void widths_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QVector<int>>("widths");
        QTest::newRow("no optional field") << QStringList{} << QVector<int>{100, 60, 33, -1, -1};
        QTest::newRow("school and two subjects") << QStringList{"数学", "原学校", "语文"}
                                                 << QVector<int>{100, 60, 33, -1, 87, -1, -1, -1};
        QTest::newRow("conditions only")
            << QStringList{"品质等级", "是否住宿"} << QVector<int>{100, 60, 33, -1, 87, 87, -1};
    }
    void widths()
    {
        QFETCH(QStringList, fields);
        QFETCH(QVector<int>, widths);
        Sandbox sb;
        test::makeStore(sb, fields);
        QCOMPARE(studentGridWidths(ReadStudentGrid(sb.ctx)), widths);
    }

    // ziduan2.txt emptied behind the program's back: the table still has
    // its condition column, but the grid shows none and sizes none.
    void noConditionWidthWithoutTheFieldList()
    {
        Sandbox sb;
        test::makeStore(sb, {"原学校", "语文"});
        writeGbkLines(sb.ctx.file(QStringLiteral("ziduan2.txt")), {});
        QCOMPARE(studentGridWidths(ReadStudentGrid(sb.ctx)),
                 (QVector<int>{100, 60, 33, -1, -1, -1}));
    }

    void fillsGridAndLabel()
    {
        Sandbox sb;
        test::makeStore(sb, {"原学校", "语文"});
        test::addStudents(sb, test::parseIntake("2026002/女/91.5/育才小学/91.5 2026001/男/80/-/-",
                                                {"原学校", "语文"}));
        QTableView grid;
        QLabel label;
        const int fallback = grid.horizontalHeader()->defaultSectionSize();
        ShowStudents(sb.ctx, &grid, &label);

        QCOMPARE(label.text(), QStringLiteral("共有2人"));
        QAbstractItemModel* model = grid.model();
        QVERIFY(qobject_cast<StudentGridModel*>(model));
        QCOMPARE(model->columnCount(), 7);
        QCOMPARE(model->rowCount(), 3); // two students and the empty last row
        QStringList headers;
        for (int c = 0; c < model->columnCount(); ++c)
            headers.append(model->headerData(c, Qt::Horizontal).toString());
        QCOMPARE(headers, (QStringList{"学号", "姓名", "性别", "班级", "原学校", "语文", "总分"}));
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral(" 2026002"));
        QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("育才小学"));
        QCOMPARE(model->index(1, 5).data().toString(), QString());
        QCOMPARE(model->index(1, 6).data().toString(), QStringLiteral("80"));
        QCOMPARE(model->index(2, 0).data().toString(), QString());
        const QVector<int> widths{100, 60, 33, fallback, 87, fallback, fallback};
        for (int c = 0; c < widths.size(); ++c)
            QCOMPARE(grid.columnWidth(c), widths[c]);

        // A refill keeps the model and shows the store as it is now.
        test::addStudents(sb, test::parseIntake("2026003/男/60/-/60", {"原学校", "语文"}));
        ShowStudents(sb.ctx, &grid, &label);
        QCOMPARE(grid.model(), model);
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(label.text(), QStringLiteral("共有3人"));
    }
};

QTEST_MAIN(TestStudentGridView)
#include "test_studentgridview.moc"
