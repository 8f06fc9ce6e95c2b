// While any box of an operation waits for the clerk, another program can
// write the store: no operation holds its write transaction open across a
// question or a message. The prompt of the test takes the write lock on a
// connection of its own, and commits a change, at every box.
#include "adjust/autoadjust.h"
#include "adjust/exchange.h"
#include "adjust/transfer.h"
#include "adjust/typedclass.h"
#include "excel/biffwriter.h"
#include "excel/import.h"
#include "excel/rebuild.h"
#include "excel/template.h"
#include "history/history.h"
#include "rules/ruleentry.h"
#include "sources/templateimport.h"
#include "store/errors.h"
#include "store/schema.h"
#include "store/store.h"

#include "support/intake.h"
#include "support/interleaving.h"

#include <QDir>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Writes the store at every box, without waiting for a lock: each box
// shown is recorded with what the write met ("" when it went through).
class WritingPrompt : public ProbingPrompt {
public:
    QString folder;
    QStringList writes; // "title<TAB>text<TAB>what the write met", one per box
    int questions = 0;

protected:
    void atBox(Box box, const QString& title, const QString& text) override
    {
        if (box == Box::Question)
            ++questions;
        QString met;
        try {
            Store store(QDir(folder).filePath(Store::fileName()));
            store.exec(QStringLiteral("PRAGMA busy_timeout=0"));
            store.exec(QStringLiteral("BEGIN IMMEDIATE"));
            // The same number again: a change of the file that the
            // program never reads, committed.
            const qint64 v =
                store.column(QStringLiteral("PRAGMA user_version")).value(0).toLongLong();
            store.exec(QStringLiteral("PRAGMA user_version=%1").arg(v));
            store.exec(QStringLiteral("COMMIT"));
        } catch (const StoreError& e) {
            met = e.text();
        }
        writes.append(title + u'\t' + text + u'\t' + met);
    }
};

struct QuestionSandbox {
    QTemporaryDir dir;
    Session state;
    WritingPrompt prompt;
    Context ctx{dir.path(), state, prompt};
};

QString id(int i)
{
    return QStringLiteral("s%1").arg(i, 2, 10, QChar(u'0'));
}

// Twenty students in two classes, s00 and s01 together in class 1 by a
// rule: a move of s00 alone breaks it.
void prepare(Sandbox& sb)
{
    makeStore(sb, {QStringLiteral("数学")});
    QVector<Student> students;
    for (int i = 0; i < 20; ++i)
        students.append(
            {id(i),
             i % 2 ? "男" : "女",
             double(200 - i),
             {{QStringLiteral("数学"), double(i)}, {QStringLiteral("班级"), i / 10 + 1}}});
    addStudents(sb, students);
    QVERIFY(AddRule(sb.ctx, {RuleKind::Together, {id(0), id(1)}, {}, {}}));
    recordVersion(sb, QStringLiteral("导入模板数据"));
    QVERIFY(TransferStudent(sb.ctx, id(19), QStringLiteral("1")).has_value());
}

void writeTemplate(const Context& ctx)
{
    QVector<QVariantList> rows{{"编号", "姓名", "性别", "班级", "数学", "总分"}};
    for (int i = 0; i < 20; ++i)
        rows.append({id(i), QStringLiteral("学生") + id(i), i % 2 ? "男" : "女", 0, i, i});
    QString error;
    QVERIFY2(writeBiff5Workbook(ctx.file(templateFile()), QStringLiteral("sheet1"), rows, &error),
             qPrintable(error));
}

// The operation of each row, run with every question answered Yes.
void run(const QString& operation, const Context& ctx)
{
    if (operation == u"clear rules")
        ClearRules(ctx);
    else if (operation == u"add a rule, refused")
        AddRule(ctx, {RuleKind::Apart, {id(0), id(1)}, {}, {}});
    else if (operation == u"remove a rule there is not")
        RemoveRule(ctx, 99);
    else if (operation == u"transfer breaking a rule")
        TransferStudent(ctx, id(0), QStringLiteral("2"));
    else if (operation == u"transfer, refused")
        TransferStudent(ctx, QStringLiteral("x"), QStringLiteral("2"));
    else if (operation == u"exchange breaking a rule")
        ExchangeStudents(ctx, id(0), id(12));
    else if (operation == u"exchange, refused")
        ExchangeStudents(ctx, id(0), id(1));
    else if (operation == u"typed class breaking a rule")
        SaveTypedClass(ctx, {id(0), 2});
    else if (operation == u"typed class of a student there is not")
        SaveTypedClass(ctx, {QStringLiteral("x"), 2});
    else if (operation == u"redo with nothing to redo")
        RedoChange(ctx);
    else if (operation == u"restore")
        RestoreVersion(ctx, VersionList(ctx).first().id);
    else if (operation == u"automatic adjustment, grade question") {
        ctx.state.GradeDivisionFlag = true;
        runAutomaticAdjustment(ctx);
    } else if (operation == u"template import") {
        writeTemplate(ctx);
        AskAndImport(ctx);
    } else if (operation == u"database rebuilt")
        CreateDatabase(ctx, CreateOptions{});
    else
        QFAIL(qPrintable(QStringLiteral("no operation ") + operation));
}

} // namespace

class TestQuestionWait : public QObject {
    Q_OBJECT

private slots:
    void anotherProgramWritesWhileABoxWaits_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("asks");
        const QList<QPair<const char*, bool>> rows = {
            {"clear rules", true},
            {"add a rule, refused", false},
            {"remove a rule there is not", false},
            {"transfer breaking a rule", true},
            {"transfer, refused", false},
            {"exchange breaking a rule", true},
            {"exchange, refused", false},
            {"typed class breaking a rule", true},
            {"typed class of a student there is not", false},
            {"redo with nothing to redo", false},
            {"restore", true},
            {"automatic adjustment, grade question", true},
            {"template import", true},
            {"database rebuilt", true}};
        for (const auto& [operation, asks] : rows)
            QTest::newRow(operation) << QString::fromUtf8(operation) << asks;
    }
    void anotherProgramWritesWhileABoxWaits()
    {
        QFETCH(QString, operation);
        QFETCH(bool, asks);
        QuestionSandbox qs;
        {
            Sandbox sb;
            prepare(sb);
            for (const QString& name : QDir(sb.dir.path()).entryList(QDir::Files))
                QVERIFY(QFile::copy(sb.dir.filePath(name), qs.dir.filePath(name)));
        }
        qs.prompt.folder = qs.dir.path();
        qs.prompt.defaultAnswer = true;
        run(operation, qs.ctx);
        QVERIFY(!qs.prompt.writes.isEmpty());
        QCOMPARE(qs.prompt.questions > 0, asks);
        for (const QString& w : qs.prompt.writes)
            QVERIFY2(w.endsWith(u'\t'), qPrintable(w));
    }
};

QTEST_GUILESS_MAIN(TestQuestionWait)
#include "test_questionwait.moc"
