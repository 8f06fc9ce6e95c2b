// The create-database panel driven like a user: boxes ticked by mouse, names
// typed, answers to the warning played by the fake prompt.
#include "excel/template.h"
#include "shell/intake/createpanel.h"
#include "shell/window/form1.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/schema.h"
#include "store/store.h"
#include "support/fakeprompt.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace quorvel;
using quorvel::test::Sandbox;

namespace {

const QString customNameMessage =
    QStringLiteral("自定义名称必须为：是否XXXX 。 如：是否住校、是否公费等样式都可以。");
const QString rebuildQuestion =
    QStringLiteral("警告！\t确实要重建数据库吗？原有数据将全部被删除！且不可恢复！");
const QString closingMessage =
    QStringLiteral("Quorvel\t单击“第二步数据输入”按钮，将你的数据粘贴到Excel表中，保存。");

QByteArray gbkLines(const QStringList& lines)
{
    QByteArray bytes;
    QStringEncoder gbk("GBK");
    for (const QString& line : lines)
        bytes += gbk.encode(line) + "\r\n";
    return bytes;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

// A click on the box's indicator, where a user would click.
void tick(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

// Chinese text arrives from the input method as one committed string.
void typeCommitted(QLineEdit* edit, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(edit, &event);
}

// Key by key, as from a keyboard layout that types the characters directly.
void typeKeys(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &release);
    }
}

} // namespace

class TestCreatePanel : public QObject {
    Q_OBJECT

    std::unique_ptr<Sandbox> sb;
    std::unique_ptr<Form1> form;

    template <class T> T* find(const QString& name)
    {
        T* w = form->findChild<T*>(name);
        if (!w)
            qFatal("no widget %s", qPrintable(name));
        return w;
    }
    QCheckBox* box(const QString& name) { return find<QCheckBox>(name); }
    QLineEdit* edit(const QString& name) { return find<QLineEdit>(name); }
    void click(const QString& name)
    {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }
    QString file(const QString& name) const { return sb->ctx.file(name); }
    QWidget* panel() { return find<QWidget>(QStringLiteral("Frmcreate")); }

    // Shows the panel, ticks the boxes in the given order and types the names.
    void choose(const QStringList& ticks, const QString& name1 = {}, const QString& name2 = {})
    {
        click(QStringLiteral("create"));
        for (const QString& name : ticks)
            tick(box(name));
        if (!name1.isEmpty())
            typeCommitted(edit(QStringLiteral("txtzdy1")), name1);
        if (!name2.isEmpty())
            typeCommitted(edit(QStringLiteral("txtzdy2")), name2);
    }

    QStringList storeColumns()
    {
        Store store(file(Store::fileName()));
        RowSet rs = RowSet::open(store, studentTable());
        return rs.columnNames();
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        form = std::make_unique<Form1>(sb->ctx);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup()
    {
        form.reset();
        sb.reset();
    }

    void itemCreateShowsPanel()
    {
        QVERIFY(!panel()->isVisible());
        click(QStringLiteral("create"));
        QVERIFY(panel()->isVisible());
        QVERIFY(sb->prompt.messages.isEmpty());
    }

    void boxesAtStart()
    {
        for (const char* name : {"Check14", "Check15", "Check16", "Check17"})
            QCOMPARE(box(QString::fromLatin1(name))->checkState(), Qt::Checked);
        QCOMPARE(box(QStringLiteral("Check13"))->checkState(), Qt::PartiallyChecked);
        for (const char* name : {"Check10", "Check3", "Check5", "Check2", "Check4", "Check11"})
            QVERIFY2(!box(QString::fromLatin1(name))->isChecked(), name);
        for (int i = 0; i < 13; ++i) {
            QCheckBox* subject = box(QStringLiteral("Check1_%1").arg(i));
            QCOMPARE(subject->text(), subjectNames().at(i));
            QVERIFY(!subject->isChecked());
        }
        QVERIFY(!edit(QStringLiteral("txtzdy1"))->isEnabled());
        QVERIFY(!edit(QStringLiteral("txtzdy2"))->isEnabled());
    }

    void requiredBoxesCannotChange()
    {
        click(QStringLiteral("create"));
        for (const char* name : {"Check14", "Check15", "Check16", "Check17", "Check13"}) {
            QCheckBox* b = box(QString::fromLatin1(name));
            const Qt::CheckState before = b->checkState();
            tick(b);
            b->click();
            QTest::keyClick(b, Qt::Key_Space);
            QCOMPARE(b->checkState(), before);
        }
    }

    void customBoxEnablesItsName_data()
    {
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("text");
        QTest::newRow("自定义1") << "Check4"
                                 << "txtzdy1";
        QTest::newRow("自定义2") << "Check11"
                                 << "txtzdy2";
    }
    void customBoxEnablesItsName()
    {
        QFETCH(QString, check);
        QFETCH(QString, text);
        click(QStringLiteral("create"));
        tick(box(check));
        QVERIFY(edit(text)->isEnabled());
        tick(box(check));
        QVERIFY(!edit(text)->isEnabled());
    }

    // The columns of the table and the three lists for one set of choices.
    void createDatabase_data()
    {
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<QString>("name1");
        QTest::addColumn<QString>("name2");
        QTest::addColumn<QStringList>("conditions");
        QTest::addColumn<QStringList>("scores");
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("required only")
            << QStringList{} << ""
            << "" << QStringList{} << QStringList{"总分"} << QByteArray("0");
        QTest::newRow("school, custom 1, two subjects")
            << QStringList{"Check10", "Check4", "Check1_0", "Check1_2"} << "是否住宿"
            << "" << QStringList{"原学校", "是否住宿"} << QStringList{"语文", "英语", "总分"}
            << QByteArray("2");
        QTest::newRow("school and cadre")
            << QStringList{"Check10", "Check2"} << ""
            << "" << QStringList{"原学校", "是否班干部"} << QStringList{"总分"} << QByteArray("1");
        QTest::newRow("school and custom 2") << QStringList{"Check10", "Check11"} << ""
                                             << "是否住宿" << QStringList{"原学校", "是否住宿"}
                                             << QStringList{"总分"} << QByteArray("3");
        QTest::newRow("subjects in table order")
            << QStringList{"Check1_2", "Check1_0"} << ""
            << "" << QStringList{} << QStringList{"语文", "英语", "总分"} << QByteArray("0");
        QStringList allSubjects;
        for (int i = 0; i < 13; ++i)
            allSubjects << QStringLiteral("Check1_%1").arg(12 - i);
        QTest::newRow("everything")
            << (QStringList{"Check11", "Check4", "Check2", "Check5", "Check3", "Check10"} +
                allSubjects)
            << "是否住宿"
            << "是否公费" << QStringList{"原学校",     "品质等级", "是否农民工子女",
                                         "是否班干部", "是否住宿", "是否公费"}
            << (subjectNames() + QStringList{"总分"}) << QByteArray("3");
    }
    void createDatabase()
    {
        QFETCH(QStringList, ticks);
        QFETCH(QString, name1);
        QFETCH(QString, name2);
        QFETCH(QStringList, conditions);
        QFETCH(QStringList, scores);
        QFETCH(QByteArray, code);
        sb->state.GradeDivisionFlag = true;
        choose(ticks, name1, name2);
        sb->prompt.answers = {true};
        click(QStringLiteral("FlatBttn1"));

        QCOMPARE(sb->prompt.messages, (QStringList{rebuildQuestion, closingMessage}));
        QVERIFY(!panel()->isVisible());
        const QStringList fixed{"编号", "姓名", "性别", "班级"};
        QCOMPARE(storeColumns(), fixed + conditions + scores);
        QCOMPARE(fileBytes(file(conditionListFile())), gbkLines(conditions));
        QCOMPARE(fileBytes(file(scoreListFile())), gbkLines(scores));
        QCOMPARE(fileBytes(file(fieldSetFile())), code + "\r\n");
        QVERIFY(!sb->state.GradeDivisionFlag);
        QVERIFY(QFile::exists(file(templateFile())));
    }

    void customColumnsAreShortTexts()
    {
        choose({"Check10", "Check4", "Check1_1"}, QStringLiteral("是否住宿"));
        sb->prompt.answers = {true};
        click(QStringLiteral("FlatBttn1"));
        Store store(file(Store::fileName()));
        QHash<QString, ColumnType> types;
        for (const ColumnInfo& c : store.columns(studentTable()))
            types.insert(c.name, c.type);
        QCOMPARE(types.value("原学校").kind, ColumnType::Text);
        QCOMPARE(types.value("原学校").maxLength, 10);
        QCOMPARE(types.value("是否住宿").kind, ColumnType::Text);
        QCOMPARE(types.value("是否住宿").maxLength, 2);
        QCOMPARE(types.value("数学").kind, ColumnType::Single);
        QCOMPARE(types.value("班级").kind, ColumnType::Integer);
    }

    void answerNoCreatesNothing()
    {
        choose({"Check10", "Check4", "Check1_0"}, QStringLiteral("是否住宿"));
        sb->prompt.answers = {false};
        click(QStringLiteral("FlatBttn1"));
        QCOMPARE(sb->prompt.messages, QStringList{rebuildQuestion});
        QVERIFY(panel()->isVisible());
        QCOMPARE(QDir(sb->dir.path()).entryList(QDir::Files), QStringList{});
    }

    void rebuildEmptiesTheStore()
    {
        choose({});
        sb->prompt.defaultAnswer = true;
        click(QStringLiteral("FlatBttn1"));
        {
            Store store(file(Store::fileName()));
            store.exec(
                QStringLiteral("INSERT INTO studscore (\"编号\",\"姓名\") VALUES ('1','张三')"));
        }
        choose({"Check1_0"});
        click(QStringLiteral("FlatBttn1"));
        Store store(file(Store::fileName()));
        QCOMPARE(store.column(QStringLiteral("SELECT count(*) FROM studscore")).value(0).toInt(),
                 0);
        QCOMPARE(storeColumns(), (QStringList{"编号", "姓名", "性别", "班级", "语文", "总分"}));
    }

    void cancelOnlyHides()
    {
        choose({"Check10", "Check1_0"});
        click(QStringLiteral("FlatBttn4"));
        QVERIFY(!panel()->isVisible());
        QVERIFY(sb->prompt.messages.isEmpty());
        QCOMPARE(QDir(sb->dir.path()).entryList(QDir::Files), QStringList{});
        // The choices stay for the next time the panel is shown.
        click(QStringLiteral("create"));
        QVERIFY(box(QStringLiteral("Check10"))->isChecked());
    }

    void customNameMustBeginWithShi()
    {
        choose({"Check4"});
        QLineEdit* name = edit(QStringLiteral("txtzdy1"));
        typeCommitted(name, QStringLiteral("否则"));
        QCOMPARE(sb->prompt.messages, QStringList{QStringLiteral("Quorvel\t") + customNameMessage});
        QCOMPARE(name->text(), QString());
    }

    void acceptedCustomNameStays()
    {
        choose({"Check11"});
        QLineEdit* name = edit(QStringLiteral("txtzdy2"));
        name->setFocus();
        typeKeys(name, QStringLiteral("是否住宿"));
        QCOMPARE(name->text(), QStringLiteral("是否住宿"));
        QVERIFY(sb->prompt.messages.isEmpty());
    }

    void deletingTheNameIsRefusedToo()
    {
        choose({"Check4"}, QStringLiteral("是否住宿"));
        QLineEdit* name = edit(QStringLiteral("txtzdy1"));
        name->setFocus();
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Backspace);
        QCOMPARE(sb->prompt.messages, QStringList{QStringLiteral("Quorvel\t") + customNameMessage});
        QCOMPARE(name->text(), QString());
    }

    void checkedCustomBoxNeedsAName_data()
    {
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<QString>("name1");
        QTest::newRow("自定义1 empty") << QStringList{"Check4"} << "";
        QTest::newRow("自定义2 empty") << QStringList{"Check4", "Check11"} << "是否住宿";
    }
    void checkedCustomBoxNeedsAName()
    {
        QFETCH(QStringList, ticks);
        QFETCH(QString, name1);
        choose(ticks, name1);
        sb->prompt.answers = {true};
        click(QStringLiteral("FlatBttn1"));
        QCOMPARE(sb->prompt.messages,
                 (QStringList{rebuildQuestion, QStringLiteral("提示\t请输入自定义的字段")}));
        QVERIFY(panel()->isVisible());
        QVERIFY(!QFile::exists(file(Store::fileName())));
    }

    void storeFailureKeepsPanelOpen()
    {
        // A custom name equal to another column: the engine refuses the table.
        choose({"Check2", "Check4"}, QStringLiteral("是否班干部"));
        sb->prompt.answers = {true};
        click(QStringLiteral("FlatBttn1"));
        QCOMPARE(sb->prompt.messages.size(), 2);
        QVERIFY2(sb->prompt.last().startsWith(QStringLiteral("创建数据库失败")),
                 qPrintable(sb->prompt.last()));
        QVERIFY(panel()->isVisible());
        QVERIFY(!QFile::exists(file(conditionListFile())));
    }

    void operationErrorIsShownNotThrown()
    {
        // ziduan2.txt cannot be written when a folder stands in its place.
        QVERIFY(QDir(sb->dir.path()).mkdir(conditionListFile()));
        choose({"Check10"});
        sb->prompt.answers = {true};
        click(QStringLiteral("FlatBttn1"));
        QCOMPARE(sb->prompt.messages.size(), 2);
        QVERIFY2(sb->prompt.last().contains(conditionListFile()), qPrintable(sb->prompt.last()));
        QVERIFY(panel()->isVisible());
    }
};

QTEST_MAIN(TestCreatePanel)
#include "test_createpanel.moc"
