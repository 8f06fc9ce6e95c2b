// Rows without 编号 numbered for the import from a start number.
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
};

QTEST_GUILESS_MAIN(TestFieldRows)
#include "test_fieldrows.moc"
