// Rows as schools write them, checked for the import: class names read as
// the class number, numbers given to rows without 编号 from a start number,
// and a total kept where no subject has a column.
#include "sources/report.h"
#include "sources/sheetsource.h"

#include <QtTest>

using namespace quorvel;

namespace {

const QList<TargetColumn> kColumns = {
    {"编号", TargetColumn::Key, 15},  {"姓名", TargetColumn::Text, 30},
    {"性别", TargetColumn::Sex, 2},   {"班级", TargetColumn::Class, 0},
    {"语文", TargetColumn::Score, 0}, {"总分", TargetColumn::Total, 0},
};

// The sheet's columns: those named, in this order; data from row 2.
CheckedRows check(const QStringList& sheetColumns, const QList<QVariantList>& rows,
                  const CheckOptions& options = {})
{
    ColumnMapping mapping;
    for (int i = 0; i < sheetColumns.size(); ++i)
        mapping.cellOf.insert(sheetColumns.at(i), i);
    QList<SheetRow> data;
    for (int i = 0; i < rows.size(); ++i)
        data.append(SheetRow{i + 2, rows.at(i)});
    return checkRows(data, mapping, kColumns, options);
}

} // namespace

class TestFieldRows : public QObject {
    Q_OBJECT

private slots:
    void classNames_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QVariant>("stored"); // null: not taken, listed
        QTest::newRow("1班") << "1班" << QVariant(1.0);
        QTest::newRow("01班") << "01班" << QVariant(1.0);
        QTest::newRow("一班") << "一班" << QVariant(1.0);
        QTest::newRow("(1)班") << "(1)班" << QVariant(1.0);
        QTest::newRow("（1）班") << "（1）班" << QVariant(1.0);
        QTest::newRow("１２班") << "１２班" << QVariant(12.0);
        QTest::newRow("二十三班") << "二十三班" << QVariant(23.0);
        QTest::newRow("十班") << "十班" << QVariant(10.0);
        QTest::newRow("a number as text") << " 7 " << QVariant(7.0);
        QTest::newRow("A班") << "A班" << QVariant();
        QTest::newRow("-1班") << "-1班" << QVariant();
        QTest::newRow("班") << "班" << QVariant();
        QTest::newRow("()班") << "()班" << QVariant();
        QTest::newRow("1.5班") << "1.5班" << QVariant();
    }
    void classNames()
    {
        QFETCH(QString, cell);
        QFETCH(QVariant, stored);
        const CheckedRows rows = check({"编号", "班级"}, {{"1", cell}});
        QCOMPARE(rows.values.size(), 1);
        QCOMPARE(rows.values.at(0).at(3), stored);
        QCOMPARE(rows.lostValues, stored.isNull() ? 1 : 0);
    }

    // Numbers go to the rows without 编号 in row order from the start
    // number, past those the sheet gives; the rest of a row is checked as
    // ever.
    void numbering_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<QStringList>("keys"); // the sheet's, "" for none
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("note");
        QTest::newRow("a new store")
            << 1 << QStringList{"", "", ""} << QStringList{"1", "2", "3"} << "自动编号 1–3";
        QTest::newRow("after the highest")
            << 40 << QStringList{"", "", ""} << QStringList{"40", "41", "42"} << "自动编号 40–42";
        QTest::newRow("past the given, later rows too")
            << 1 << QStringList{"", "2", "", "3", ""} << QStringList{"1", "2", "4", "3", "5"}
            << "自动编号 1–5";
        QTest::newRow("none to number")
            << 1 << QStringList{"7", "8"} << QStringList{"7", "8"} << QString();
        QTest::newRow("not asked") << 0 << QStringList{"", "9"} << QStringList{"9"} << QString();
    }
    void numbering()
    {
        QFETCH(int, first);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, stored);
        QFETCH(QString, note);
        QList<QVariantList> rows;
        for (const QString& key : keys)
            rows.append({key.isEmpty() ? QVariant() : QVariant(key), "甲", "男"});
        CheckOptions options;
        options.firstNumber = first;
        const CheckedRows checked = check({"编号", "姓名", "性别"}, rows, options);
        QStringList got;
        for (const QVariantList& values : checked.values)
            got.append(values.at(0).toString());
        QCOMPARE(got, stored);
        QCOMPARE(checked.notes.contains(note), !note.isEmpty());
        QCOMPARE(checked.leftOut, int(keys.size() - stored.size()));
    }

    // Without a column for 编号 nothing is checked unless rows are
    // numbered: each row would only be listed as left out.
    void noKeyColumnChecksNothing()
    {
        const CheckedRows rows = check({"姓名", "性别"}, {{"甲", "男"}, {"乙", "女"}});
        QVERIFY(rows.problems.isEmpty());
        QVERIFY(rows.values.isEmpty());
        CheckOptions options;
        options.firstNumber = 1;
        QCOMPARE(check({"姓名", "性别"}, {{"甲", "男"}}, options).values.size(), 1);
    }

    // 总分 without a subject column: the sheet's, a word listed and lost.
    void totalWithoutSubjects_data()
    {
        QTest::addColumn<QVariant>("cell");
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("lost");
        QTest::newRow("a number") << QVariant(615.5) << 615.5 << 0;
        QTest::newRow("a number as text") << QVariant("580") << 580.0 << 0;
        QTest::newRow("empty") << QVariant() << 0.0 << 0;
        QTest::newRow("absent") << QVariant("缺考") << 0.0 << 0;
        QTest::newRow("a word") << QVariant("优") << 0.0 << 1;
        QTest::newRow("negative") << QVariant(-5) << 0.0 << 1;
    }
    void totalWithoutSubjects()
    {
        QFETCH(QVariant, cell);
        QFETCH(double, stored);
        QFETCH(int, lost);
        const CheckedRows rows = check({"编号", "总分"}, {{"1", cell}});
        QCOMPARE(rows.values.at(0).at(5).toDouble(), stored);
        QCOMPARE(rows.lostValues, lost);
    }
};

QTEST_GUILESS_MAIN(TestFieldRows)
#include "test_fieldrows.moc"
