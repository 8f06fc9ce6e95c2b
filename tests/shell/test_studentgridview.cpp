// The student grid of the main window filled from the store.
#include "shell/window/studentgridview.h"
#include "support/intake.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTest>

using namespace quorvel;
using quorvel::test::Sandbox;

class TestStudentGridView : public QObject {
    Q_OBJECT
private slots:
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
