// The store's figures of the classes: which classes are in use, and the
// averages and counts per class, with students without a class, without a
// value or in a class beyond the ones asked for.
#include "store/classfigures.h"
#include "store/classintake.h"
#include "store/classnumbers.h"
#include "store/store.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

namespace {

// Students a … i in this row order. 班级 0, no 班级 and 4, 5 (beyond the
// three classes the statistics ask for) are left out of the per-class
// figures; b's 性别 has blanks around it; i is alone in class 5 and has
// neither 性别 nor 总分.
const char* const intake = "('a','男',1,90,80,'是','甲'),('b',' 男 ',1,80,NULL,'否','乙'),"
                           "('c','女',1,NULL,70,NULL,'甲'),('d',NULL,3,60,NULL,'是','甲'),"
                           "('e','女',3,70,NULL,'是','乙'),('f','男',0,100,100,'是','甲'),"
                           "('g','男',4,50,50,'是','甲'),('h','男',NULL,40,40,'是','乙'),"
                           "('i',NULL,5,NULL,NULL,NULL,NULL)";

QString text(const std::optional<double>& v)
{
    return v ? QString::number(*v) : QStringLiteral("-");
}

QString text(const QVector<std::optional<double>>& values)
{
    QStringList out;
    for (const auto& v : values)
        out.append(text(v));
    return out.join(u',');
}

} // namespace

class TestClassFigures : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    Store freshStore(const QString& rows)
    {
        const QString path = dir.filePath(QStringLiteral("gsls.dll"));
        QFile::remove(path);
        Store s = Store::create(path);
        s.exec(
            QStringLiteral("CREATE TABLE studscore (\"编号\" TEXT(15) PRIMARY KEY NOT NULL, "
                           "\"性别\" TEXT(2), \"班级\" INTEGER, \"总分\" SINGLE, \"语文\" SINGLE, "
                           "\"是否班干部\" TEXT(2), \"原学校\" TEXT(20))"));
        if (!rows.isEmpty())
            s.exec(QStringLiteral("INSERT INTO studscore VALUES ") + rows);
        return s;
    }

private slots:
    // The classes of "a:2 b:- …" (- for no class).
    void classNumbers_data()
    {
        QTest::addColumn<QString>("classes");
        QTest::addColumn<bool>("unplaced");
        QTest::addColumn<qint64>("highest");
        QTest::addColumn<QString>("highestFirst");
        QTest::addColumn<QString>("placed");
        QTest::newRow("all placed") << "2 1 3 1" << false << qint64(3) << "3 2 1"
                                    << "1 2 3";
        QTest::newRow("no class") << "2 - 1" << true << qint64(2) << "2 1 -"
                                  << "1 2";
        QTest::newRow("class 0") << "0 2" << true << qint64(2) << "2 0"
                                 << "2";
        QTest::newRow("below 0") << "-1 2" << true << qint64(2) << "2 -1"
                                 << "2";
        QTest::newRow("none placed") << "- -" << true << qint64(0) << "-"
                                     << "";
        QTest::newRow("no students") << "" << false << qint64(0) << ""
                                     << "";
    }
    void classNumbers()
    {
        QFETCH(QString, classes);
        QStringList rows;
        const QStringList each = classes.split(u' ', Qt::SkipEmptyParts);
        for (int i = 0; i < each.size(); ++i)
            rows.append(QStringLiteral("('s%1',NULL,%2,NULL,NULL,NULL,NULL)")
                            .arg(i)
                            .arg(each.at(i) == u"-" ? QStringLiteral("NULL") : each.at(i)));
        Store s = freshStore(rows.join(u','));
        QTEST(hasUnplacedStudent(s), "unplaced");
        QTEST(highestClass(s), "highest");
        QStringList highestFirst;
        for (const std::optional<qint64>& c : classValuesHighestFirst(s))
            highestFirst.append(c ? QString::number(*c) : QStringLiteral("-"));
        QTEST(highestFirst.join(u' '), "highestFirst");
        QStringList placed;
        for (const int c : placedClassNumbers(s))
            placed.append(QString::number(c));
        QTEST(placed.join(u' '), "placed");
    }

    // The statistics' figures of the classes 1 … 3, one class a line.
    void statisticsFigures_data()
    {
        QTest::addColumn<QString>("figure");
        QTest::addColumn<QStringList>("perClass");
        // Class 2 has no student: no averages, and counts of 0.
        QTest::newRow("averages") << "averages" << QStringList{"85,75", "", "65,-"};
        QTest::newRow("sexes") << "sexes" << QStringList{"2/3", "0/0", "0/2"};
        QTest::newRow("yes/no") << "yes/no" << QStringList{"1/1", "0/0", "2/0"};
        // The same figures from the one query of the statistics table.
        QTest::newRow("one query")
            << "one query"
            << QStringList{"85,75 2/3 1/1 0/3", "-,- 0/0 0/0 0/0", "65,- 0/2 2/0 0/2"};
    }
    void statisticsFigures()
    {
        QFETCH(QString, figure);
        Store s = freshStore(intake);
        QStringList perClass;
        if (figure == u"averages") {
            for (const auto& c : classAverages(s, {"总分", "语文"}, 3))
                perClass.append(text(c));
        } else if (figure == u"sexes") {
            for (const ClassSexes& c : classSexes(s, 3))
                perClass.append(QStringLiteral("%1/%2").arg(c.boys).arg(c.students));
        } else if (figure == u"one query") {
            for (const ClassStatistics& c :
                 classStatistics(s, {"总分", "语文"}, {"是否班干部", "原学校"}, 3)) {
                QString line = text(c.averages) +
                               QStringLiteral(" %1/%2").arg(c.sexes.boys).arg(c.sexes.students);
                for (const ClassYesNo& y : c.yesNo)
                    line += QStringLiteral(" %1/%2").arg(y.yes).arg(y.no);
                perClass.append(line);
            }
        } else {
            for (const ClassYesNo& c : classYesNo(s, "是否班干部", 3))
                perClass.append(QStringLiteral("%1/%2").arg(c.yes).arg(c.no));
        }
        QTEST(perClass, "perClass");
    }

    // One figure of the balance report over the classes 1, 3, 4 and 5.
    void reportFigures_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("perClass");
        QTest::newRow("average") << int(ReportFigure::Average) << "总分"
                                 << "85,65,50,-";
        QTest::newRow("average of none") << int(ReportFigure::Average) << "语文"
                                         << "75,-,50,-";
        QTest::newRow("variance") << int(ReportFigure::Variance) << "总分"
                                  << "25,25,0,-";
        // A class whose students have no 性别 has no count of boys, but
        // counts them among the others.
        QTest::newRow("boys") << int(ReportFigure::Boys) << "性别"
                              << "2,0,1,-";
        QTest::newRow("not boys") << int(ReportFigure::NotBoys) << "性别"
                                  << "1,2,0,1";
        QTest::newRow("yes") << int(ReportFigure::Yes) << "是否班干部"
                             << "1,2,1,0";
    }
    void reportFigures()
    {
        QFETCH(int, kind);
        QFETCH(QString, column);
        Store s = freshStore(intake);
        // Each figure beside another, so that the values are read by position.
        const auto rows = classReportRows(
            s, {{ReportFigure::Kind(kind), column}, {ReportFigure::Average, "总分"}});
        QStringList classes, values;
        for (const ClassReportRow& r : rows) {
            classes.append(QString::number(r.cls));
            QCOMPARE(r.values.size(), 2);
            values.append(text(r.values.at(0)));
        }
        QCOMPARE(classes.join(u','), "1,3,4,5");
        QTEST(values.join(u','), "perClass");
    }

    void spreads_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<double>("averageSpread");
        QTest::addColumn<double>("valueRange");
        // Class 0, no class and a class without 总分 do not count: 85 − 50;
        // 甲 is held by 2, 1, 1 and 0 students of the classes 1, 3, 4, 5.
        QTest::newRow("intake") << intake << 35.0 << 2.0;
        QTest::newRow("one class")
            << "('a','男',2,90,80,'是','甲'),('b','女',2,70,80,'是','乙')" << 0.0 << 0.0;
        QTest::newRow("no values") << "('a','男',1,NULL,80,'是',NULL)" << 0.0 << 0.0;
        QTest::newRow("no students") << "" << 0.0 << 0.0;
    }
    void spreads()
    {
        QFETCH(QString, rows);
        Store s = freshStore(rows);
        QTEST(classAverageSpread(s, "总分"), "averageSpread");
        QTEST(largestValueRange(s, "原学校"), "valueRange");
    }

    // The figures from students read once and moved in memory: what the
    // store would say after the move is written, without reading again.
    void movedInMemory_data()
    {
        QTest::addColumn<QString>("student");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("averages");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<double>("valueRange");
        QTest::newRow("as read") << "a" << 1 << "85,65,50,-"
                                 << "1,2,1,0" << 2.0;
        // a (男, 90, 是, 甲) from class 1 to 3: class 1 keeps b's 80; 甲
        // held by 1, 2, 1 and 0 students.
        QTest::newRow("a to 3") << "a" << 3 << "80,73.3333,50,-"
                                << "0,3,1,0" << 2.0;
        // f, in class 0, placed in 4: 甲 held by 2, 1, 2 and 0.
        QTest::newRow("f to 4") << "f" << 4 << "85,65,75,-"
                                << "1,2,2,0" << 2.0;
    }
    void movedInMemory()
    {
        QFETCH(QString, student);
        QFETCH(int, to);
        Store s = freshStore(intake);
        ClassIntake students = ClassIntake::read(s);
        for (int r = 0; r < students.rowCount(); ++r)
            if (students.value(r, students.columnIndex("编号")).toString() == student)
                students.setClass(r, to);
        const auto rows = classReportRows(
            students, {{ReportFigure::Average, "总分"}, {ReportFigure::Yes, "是否班干部"}});
        QStringList averages, yes;
        for (const ClassReportRow& r : rows) {
            averages.append(r.values.at(0) ? QString::number(*r.values.at(0), 'g', 6) : "-");
            yes.append(text(r.values.at(1)));
        }
        QTEST(averages.join(u','), "averages");
        QTEST(yes.join(u','), "yes");
        QTEST(largestValueRange(students, "原学校"), "valueRange");
        // The store still holds the classes as read.
        QCOMPARE(classReportRows(s, {{ReportFigure::Average, "总分"}}).size(), 4);
    }

    // Only the columns asked for are read, the students in row order.
    void readColumns_data()
    {
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QStringList>("read");
        QTest::newRow("table order") << QStringList{"总分", "班级"} << QStringList{"班级", "总分"};
        QTest::newRow("unknown left out") << QStringList{"班级", "没有"} << QStringList{"班级"};
    }
    void readColumns()
    {
        QFETCH(QStringList, asked);
        Store s = freshStore(intake);
        const ClassIntake students = ClassIntake::read(s, asked);
        QStringList read;
        for (const ColumnInfo& c : students.columns())
            read.append(c.name);
        QTEST(read, "read");
        QCOMPARE(students.rowCount(), 9);
        QStringList classes;
        for (int r = 0; r < students.rowCount(); ++r)
            classes.append(students.classOf(r) ? QString::number(*students.classOf(r)) : "-");
        QCOMPARE(classes.join(u' '), "1 1 1 3 3 0 4 - 5");
    }
};

QTEST_GUILESS_MAIN(TestClassFigures)
#include "test_classfigures.moc"
