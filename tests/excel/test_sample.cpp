// The fictional intake of quorvel-cli sample.
#include "excel/sample.h"
#include "excel/template.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "support/intake.h"

#include <QSet>
#include <QStringEncoder>
#include <QTest>
#include <cmath>

using namespace quorvel;
using quorvel::test::Sandbox;

namespace {

const QStringList kColumns = {"编号",           "姓名",     "性别", "班级", "原学校", "品质等级",
                              "是否农民工子女", "是否住宿", "语文", "数学", "英语",   "总分"};

bool gbkEncodable(const QString& s)
{
    QStringEncoder gbk("GBK");
    const QByteArray bytes = gbk.encode(s);
    return !gbk.hasError() && !bytes.contains('?');
}

} // namespace

class TestSample : public QObject {
    Q_OBJECT
private slots:
    void sameSeedSameIntake()
    {
        const SheetRows a = makeSampleIntake(kColumns, {300, 42});
        QCOMPARE(makeSampleIntake(kColumns, {300, 42}), a);
        QVERIFY(makeSampleIntake(kColumns, {300, 43}) != a);
    }

    void knownStudents()
    {
        // Fixed for seed 1 on every platform: a change here changes every
        // sample and every measurement made with one.
        const SheetRows rows = makeSampleIntake(kColumns, {2, 1});
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], QVariantList(kColumns.cbegin(), kColumns.cend()));
        const QVariant none;
        QCOMPARE(rows[1], (QVariantList{2026001.0, "任思颖", "女", none, "实验小学", "中", "否",
                                        "否", 63.0, 70.5, 64.5, 198.0}));
        QCOMPARE(rows[2], (QVariantList{2026002.0, "程然锦", "男", none, "实验小学", "中", "否",
                                        "否", 73.0, 56.0, 74.5, 203.5}));
    }

    void plausibleIntake()
    {
        const int n = 2000;
        const SheetRows rows = makeSampleIntake(kColumns, {n, 7});
        QCOMPARE(rows.size(), n + 1);
        QSet<QString> names;
        QSet<QString> sexes, grades, schools;
        for (int i = 1; i <= n; ++i) {
            const QVariantList& r = rows[i];
            QCOMPARE(r.size(), kColumns.size());
            // 编号 of eight digits from a thousand students on: 20260001 ….
            QCOMPARE(r[0].toDouble(), 20260000.0 + i);
            const QString name = r[1].toString();
            QVERIFY(name.size() >= 2 && name.size() <= 4);
            QVERIFY2(gbkEncodable(name), qPrintable(name));
            names.insert(name);
            sexes.insert(r[2].toString());
            QVERIFY(r[3].isNull());
            const QString school = r[4].toString();
            QVERIFY(!school.isEmpty() && school.size() <= 10 && gbkEncodable(school));
            schools.insert(school);
            grades.insert(r[5].toString());
            for (int c : {6, 7})
                QVERIFY(r[c] == QVariant("是") || r[c] == QVariant("否"));
            double sum = 0;
            for (int c : {8, 9, 10}) {
                const double s = r[c].toDouble();
                QVERIFY(s >= 0 && s <= 100);
                QCOMPARE(std::fmod(s * 2, 1.0), 0.0);
                sum += s;
            }
            QCOMPARE(r[11].toDouble(), sum);
        }
        QCOMPARE(names.size(), n);
        QCOMPARE(sexes, (QSet<QString>{"男", "女"}));
        QCOMPARE(grades, (QSet<QString>{"好", "中", "差"}));
        QCOMPARE(schools.size(), 10);
    }

    void bothSexesFromTwoStudents()
    {
        for (quint32 seed = 1; seed <= 50; ++seed) {
            const SheetRows rows = makeSampleIntake({"编号", "性别"}, {2, seed});
            QVERIFY(rows[1][1] != rows[2][1]);
        }
    }

    void refusals()
    {
        Sandbox sb;
        QVERIFY_THROWS_EXCEPTION(OperationError, WriteSampleIntake(sb.ctx, {10, 1})); // no store
        test::makeStore(sb, {});
        QVERIFY_THROWS_EXCEPTION(OperationError, WriteSampleIntake(sb.ctx, {0, 1}));
        QVERIFY_THROWS_EXCEPTION(OperationError,
                                 WriteSampleIntake(sb.ctx, {kMaxSampleStudents + 1, 1}));
    }
};

QTEST_GUILESS_MAIN(TestSample)
#include "test_sample.moc"
