// 精确调整 on the main window, and 按总分均衡各科成绩 from 预设方案: the
// report dialog, the statistics panel, the tolerance the user sets.
#include "shellfixture.h"

#include "adjust/precise.h"
#include "division/classcount.h"
#include "shell/results/precisedialog.h"
#include "shell/results/resultspanel.h"
#include "shell/window/navpanel.h"
#include "shell/wizard/form7.h"

#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>

using namespace quorvel;
using namespace quorvel::test;

class TestPreciseWindow : public QObject, WindowTest {
    Q_OBJECT

    void prepare(const QStringList& subjects, int classes)
    {
        makeStore(sb(), QStringList{"是否班干部"} + subjects);
        QVector<Student> s = intake(24, {"是否班干部"});
        for (int i = 0; i < s.size(); ++i) {
            s[i].fields.insert("班级", i % classes + 1);
            for (const QString& f : subjects)
                s[i].fields.insert(f, (i * 37) % 101);
        }
        addStudents(sb(), s);
    }
    // The row of spreads under the grid, as text.
    QStringList spreads(PreciseDialog* d)
    {
        QStringList out;
        for (int c = 0; c < d->spreadRow()->columnCount(); ++c)
            out.append(d->spreadRow()->item(0, c)->text());
        return out;
    }
    void shoot(QWidget* w, const QString& name)
    {
        if (const QString dir = qEnvironmentVariable("QUORVEL_SCREENSHOTS"); !dir.isEmpty())
            w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void itemShowsReportAndStatistics()
    {
        prepare({"语文"}, 3);
        QToolButton* item = fx->form->item("jingque");
        QCOMPARE(item->text(), QStringLiteral("精确调整"));
        QCOMPARE(item->toolTip(), preciseExplanation());
        fx->form->navPanel()->setOpenGroup(1);
        QTest::mouseClick(item, Qt::LeftButton);
        PreciseDialog* d = fx->form->preciseDialog();
        QVERIFY(d && d->isVisible());
        QVERIFY(fx->form->resultsPanel()->isVisible());
        QCOMPARE(d->grid()->rowCount(), 3);
        QCOMPARE(spreads(d).size(), d->grid()->columnCount());
        // Sizes and sexes never change: they are marked as kept, not judged.
        for (int c = 1; c < d->grid()->columnCount(); ++c) {
            const QString name = d->grid()->horizontalHeaderItem(c)->text();
            if (name == u"男生数" || name == u"女生数")
                QVERIFY(spreads(d).at(c).endsWith(QStringLiteral(" 不变")));
        }
        QCOMPARE(d->grid()->horizontalHeaderItem(1)->text(), QStringLiteral("总分平均分"));
        QCOMPARE(spreads(d).first(), QStringLiteral("极差"));
        shoot(d, "precise-report");
        // Each spread is marked against the tolerance in the box.
        const double total = spreads(d).at(1).split(u' ').first().toDouble();
        for (const double tolerance : {0.0, 0.3, 100.0}) {
            d->tolerance()->setValue(tolerance);
            const QString mark =
                total <= tolerance + 1e-9 ? QStringLiteral(" 达标") : QStringLiteral(" 未达标");
            QVERIFY2(spreads(d).at(1).endsWith(mark), qPrintable(spreads(d).join(u' ')));
        }
    }

    void subjectBalancingFromPresets()
    {
        prepare({"语文", "数学", "英语", "综文", "综理"}, 1);
        click(fx->form.get(), "fb");
        fx->form3()->presetOption()->setChecked(true);
        click(fx->form3(), "Command1");
        Form7* form7 = fx->form->presetDialog();
        control<QRadioButton>(form7, "zongfengeke")->setChecked(true);
        sb().prompt.inputs = {QStringLiteral("2")};
        click(form7, "Command1");
        QVERIFY(form7->isHidden());
        QVERIFY(sb().prompt.saw(classCountQuestion()));
        PreciseDialog* d = fx->form->preciseDialog();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->grid()->rowCount(), 2);
        const QList<int> classes = classesById(sb()).values();
        QCOMPARE(QSet<int>(classes.begin(), classes.end()), (QSet<int>{1, 2}));
        shoot(fx->form.get(), "precise-window");
    }
};

QTEST_MAIN(TestPreciseWindow)
#include "test_precise.moc"
