// 分班规则 on the main window: rules added with students found by 编号,
// a division, and the check that every rule holds.
#include "shellfixture.h"

#include "division/balanced.h"
#include "shell/intake/rulesdialog.h"
#include "shell/window/navpanel.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QToolButton>

using namespace quorvel;
using namespace quorvel::test;

class TestRulesWindow : public QObject, WindowTest {
    Q_OBJECT

    // Finds each student by 编号 and takes it into the new rule.
    void addRule(RulesDialog* d, int kind, const QStringList& keys)
    {
        d->kindBox()->setCurrentIndex(kind);
        for (const QString& key : keys) {
            retype(d->findBox(), key);
            click(d, QStringLiteral("ruleFindButton"));
            QCOMPARE(d->foundList()->count(), 1);
            d->foundList()->item(0)->setSelected(true);
            click(d, QStringLiteral("ruleTake"));
        }
        QCOMPARE(d->memberList()->count(), keys.size());
        click(d, QStringLiteral("ruleAdd"));
        QCOMPARE(d->memberList()->count(), 0);
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void addDivideAndCheck()
    {
        makeStore(sb(), {});
        addStudents(sb(), intake(24));
        QToolButton* item = form()->item("rules");
        QCOMPARE(item->text(), QStringLiteral("分班规则"));
        form()->navPanel()->setOpenGroup(0);
        QTest::mouseClick(item, Qt::LeftButton);
        RulesDialog* d = form()->rulesDialog();
        QVERIFY(d && d->isVisible());
        addRule(d, 0, {"s000", "s002", "s005"});
        addRule(d, 1, {"s000", "s004"});
        QCOMPARE(d->table()->rowCount(), 2);
        QCOMPARE(d->table()->item(0, 1)->text(), QStringLiteral("同班"));
        QCOMPARE(d->table()->item(1, 1)->text(), QStringLiteral("分开"));
        QVERIFY(d->table()->item(1, 2)->text().startsWith("s000"));
        sb().state.ClassCount = 4;
        {
            Store store = OpenStore(sb().ctx);
            CustomDivision(sb().ctx, customRequest(sb().state));
        }
        click(d, QStringLiteral("ruleCheckButton"));
        QCOMPARE(d->checkLabel()->text(), QStringLiteral("分班规则2条，全部满足"));
        form()->navPanel()->setOpenGroup(1);
        QTest::mouseClick(form()->item("fbttj"), Qt::LeftButton); // 信息统计
        QCOMPARE(control<QLabel>(form(), "lblrules")->text(),
                 QStringLiteral("分班规则2条，全部满足"));
        d->table()->setCurrentCell(1, 0);
        click(d, QStringLiteral("ruleRemove"));
        QCOMPARE(d->table()->rowCount(), 1);
    }
};

QTEST_MAIN(TestRulesWindow)
#include "test_rules.moc"
