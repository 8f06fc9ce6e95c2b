// The public division through quorvel-cli: the stage, the seal, the run
// with its seed, the changes after it, the package and its check.
#include "adjust/typedclass.h"
#include "adjust/typedrow.h"
#include "public/package.h"
#include "store/auditrecord.h"
#include "store/publicrecord.h"
#include "store/store.h"
#include "support/clirun.h"
#include "support/intake.h"
#include "support/pdftext.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

CliRun cli(Sandbox& sb, const QStringList& args)
{
    return runCapturedCli(QStringList{"--dir", sb.dir.path(), "--yes"} + args);
}

void run(Sandbox& sb, const QString& line)
{
    const CliRun r = cli(sb, line.split(u' '));
    if (r.status != 0)
        qFatal("%s: status %d\n%s%s", qPrintable(line), r.status, qPrintable(r.out),
               qPrintable(r.err));
}

// The value of the line "label<TAB>value" of out.
QString valueOf(const QString& out, const QString& label)
{
    for (const QString& line : out.split(u'\n'))
        if (line.startsWith(label + u'\t'))
            return line.section(u'\t', 1);
    return {};
}

// 60 students in four classes, the roster sealed for a custom division.
void sealed(Sandbox& sb, const QString& plan = "custom --classes 4 --teachers 甲,乙,丙,丁")
{
    run(sb, "create 原学校 品质等级 是否班干部 语文 数学 英语");
    run(sb, "sample --students 60 --seed 5");
    run(sb, "import");
    run(sb, "divide custom --classes 4 --no-adjust");
    run(sb, "rule apart 2026001 2026002");
    run(sb, "public freeze " + plan);
}

// Everything a refused operation must leave as it was.
QString everything(Sandbox& sb)
{
    Store store = OpenStore(sb.ctx);
    return intakeText(store) + resultText(store) + QString::fromUtf8(rulesCsv(store)) +
           cli(sb, {"history"}).out;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// A workbook of two new students, for the imports.
QString nextIntake(Sandbox& sb)
{
    const QString path = sb.ctx.file("next.csv");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("编号,姓名,性别,班级,原学校,品质等级,是否班干部,语文,数学,英语,总分\n"
            "3000001,新甲,男,0,光明小学,好,否,90,90,90,270\n"
            "3000002,新乙,女,0,光明小学,好,否,80,80,80,240\n");
    return path;
}

QStringList sealedCommands()
{
    return {"import",
            "import NEXT",
            "create 语文",
            "create --from NEXT",
            "rule together 2026003 2026004",
            "rule clear",
            "divide custom --classes 4 --no-adjust",
            "divide balance --classes 4 --seed 2",
            "adjust",
            "adjust --high 1 --low 4",
            "adjust --precise --seed 3",
            "transfer 2026001 TARGET",
            "exchange 2026001 OTHER",
            "undo",
            "restore 1"};
}

void addCommands()
{
    QTest::addColumn<QString>("command");
    for (const QString& c : sealedCommands())
        QTest::newRow(qPrintable(c)) << c;
}

QString expand(Sandbox& sb, QString command)
{
    const QMap<QString, int> classes = classesById(sb);
    const int cls = classes.value("2026001");
    QString other;
    for (auto it = classes.begin(); other.isEmpty() && it != classes.end(); ++it)
        if (it.value() != cls)
            other = it.key();
    return command.replace("TARGET", QString::number(cls % 4 + 1))
        .replace("OTHER", other)
        .replace("NEXT", nextIntake(sb));
}

// The package of a run with two parts, its members unpacked into a folder.
QString packaged(Sandbox& sb)
{
    sealed(sb);
    run(sb, "public run --seed-part 314 --seed-part 2718");
    run(sb, "public package --out pkg.zip");
    return sb.ctx.file("pkg.zip");
}

// Rewrites one member of the package: how names the change.
void tamper(const QString& zip, const QString& member, const QString& how)
{
    std::optional<QMap<QString, QByteArray>> files = readZip(zip);
    QVERIFY(files && files->contains(member));
    QStringList lines = QString::fromUtf8(files->value(member)).split(u'\n');
    QStringList first = lines.at(1).split(u',');
    if (how == "score") // the first student's 语文, one point more
        first[6] = QString::number(first.at(6).toDouble() + 1);
    else if (how == "class") // the first student's class, another one
        first[1] = QString::number(first.at(1).toInt() % 4 + 1);
    else if (how == "extra") // a student after the others
        first[0] = "3999999";
    else if (how == "part")
        lines[0] = "315";
    else if (how == "order")
        lines.swapItemsAt(0, 1);
    else if (how == "plan")
        lines.replaceInStrings("top=0", "top=4");
    else if (how == "digest")
        lines[2] = "分班结果摘要\t" + QString(64, u'0');
    if (how == "missing")
        lines.removeAt(5);
    else if (how == "extra")
        lines.insert(lines.size() - 1, first.join(u','));
    else if (how == "score" || how == "class")
        lines[1] = first.join(u',');
    files->insert(member, lines.join(u'\n').toUtf8());
    QVector<std::pair<QString, QByteArray>> members;
    for (const QString& name : packageMembers())
        members.append({name, files->value(name)});
    QVERIFY(writeZip(zip, members));
}

} // namespace

class TestCliPublic : public QObject {
    Q_OBJECT

private slots:
    void stageRefusesRankedClassesInCompulsoryEducation_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("fastslow") << "divide fastslow --students 30 --classes 2";
        QTest::newRow("grade") << "divide grade --classes 4";
        QTest::newRow("freeze fastslow") << "public freeze fastslow --students 30 --classes 2";
        QTest::newRow("freeze grade") << "public freeze grade --classes 4";
    }
    void stageRefusesRankedClassesInCompulsoryEducation()
    {
        QFETCH(QString, command);
        Sandbox sb;
        run(sb, "create 原学校 品质等级 语文 数学");
        run(sb, "sample --students 40 --seed 2");
        run(sb, "import");
        QCOMPARE(cli(sb, {"stage"}).out, "普通高中\n"); // an existing database
        QCOMPARE(cli(sb, {"stage", "义务教育"}).out, "义务教育\n");
        const QString before = everything(sb);
        const CliRun r = cli(sb, command.split(u' '));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.endsWith("义务教育阶段不得分设重点班和非重点班（义务教育法第二十二条）。\n"),
                 qPrintable(r.out));
        QCOMPARE(everything(sb), before);
        // The stage outlives a rebuild; in senior high school both divide.
        run(sb, "create 原学校 品质等级 语文 数学");
        QCOMPARE(cli(sb, {"stage"}).out, "义务教育\n");
        run(sb, "sample --students 40 --seed 2");
        run(sb, "import");
        run(sb, "stage 普通高中");
        QCOMPARE(cli(sb, command.split(u' ')).status, 0);
        QCOMPARE(cli(sb, {"stage", "初中"}).status, 2);
    }

    void fingerprintIsTheDigestOfTheThreeFiles()
    {
        Sandbox sb;
        sealed(sb);
        const CliRun again = cli(sb, {"public", "unfreeze", "--reason", "重新封存"});
        QCOMPARE(again.status, 0);
        const CliRun r = cli(sb, {"public", "freeze", "custom", "--classes", "4", "--top", "4",
                                  "--conditions", "原学校", "--precise"});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(QRegularExpression("^名单指纹\\t[0-9a-f]{64}$").match(lines.at(0)).hasMatch());
        QCOMPARE(lines.at(1), "学生数\t60");
        QCOMPARE(lines.at(2), "规则数\t1");
        QVERIFY(lines.at(3).startsWith("方案\tcustom（"));
        const QString dir = sb.ctx.file("阳光分班");
        const QByteArray roster = fileBytes(dir + "/名单.csv");
        const QByteArray all = roster + fileBytes(dir + "/规则.csv") + fileBytes(dir + "/方案.txt");
        QCOMPARE(valueOf(r.out, "名单指纹"), sha256(all));
        QProcess sum;
        sum.setWorkingDirectory(dir);
        sum.start("sh", {"-c", "cat 名单.csv 规则.csv 方案.txt | sha256sum"});
        sum.waitForFinished();
        QCOMPARE(QString::fromLatin1(sum.readAllStandardOutput()).left(64), sha256(all));
        // The roster: no BOM, no CR, no 班级, one line per student by 编号.
        QVERIFY(
            roster.startsWith("编号,姓名,性别,原学校,品质等级,是否班干部,语文,数学,英语,总分\n"));
        QVERIFY(!roster.contains('\r'));
        QStringList keys;
        for (const QByteArray& line : roster.split('\n').mid(1))
            if (!line.isEmpty())
                keys.append(QString::fromUtf8(line.left(line.indexOf(','))));
        QCOMPARE(keys.size(), 60);
        QStringList sorted = keys;
        sorted.sort();
        QCOMPARE(keys, sorted);
        QVERIFY(fileBytes(dir + "/方案.txt").contains("top=4\nconditions=原学校\n"));
    }

    void seedIsTheDigestOfFingerprintAndParts()
    {
        Sandbox sb;
        sealed(sb);
        const QString fingerprint = valueOf(cli(sb, {"audit"}).out, "阳光分班名单指纹");
        const CliRun r = cli(sb, {"public", "run", "--seed-part", " 314 ", "--seed-part", "张三"});
        QCOMPARE(r.status, 0);
        QCOMPARE(valueOf(r.out, "种子"), sha256((fingerprint + "\n314\n张三\n").toUtf8()));
        Store store = OpenStore(sb.ctx);
        QCOMPARE(valueOf(r.out, "分班结果摘要"), sha256Hex(resultText(store)));
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7);
        QSet<QString> teachers;
        int students = 0;
        for (int k = 1; k <= 4; ++k) {
            const QStringList cells = lines.at(k + 1).split(u'\t');
            QCOMPARE(cells.size(), 6);
            QCOMPARE(cells.at(0), QStringLiteral("%1班").arg(k));
            QCOMPARE(cells.at(1).toInt(), cells.at(2).toInt() + cells.at(3).toInt());
            students += cells.at(1).toInt();
            teachers.insert(cells.at(5));
        }
        QCOMPARE(students, 60);
        QCOMPARE(teachers, (QSet<QString>{"甲", "乙", "丙", "丁"}));
        QVERIFY(lines.last().startsWith("总分平均分之差\t"));
        // The draw is stored as draw shows it; a second run is refused.
        QVERIFY(cli(sb, {"draw", "--show"}).out.contains(lines.at(2).section(u'\t', 5)));
        QCOMPARE(cli(sb, {"public", "run", "--seed-part", "1"}).status, 1);
    }

    void sameInputsGiveSameClassesAnywhere()
    {
        Sandbox a, b, c;
        for (Sandbox* sb : {&a, &b, &c})
            sealed(*sb, "balance --classes 4 --seed 9 --precise --teachers 甲,乙,丙,丁");
        const QString runA = cli(a, {"public", "run", "--seed-part", "17", "--seed-part", "x"}).out;
        const QString runB = cli(b, {"public", "run", "--seed-part", "17", "--seed-part", "x"}).out;
        const QString runC = cli(c, {"public", "run", "--seed-part", "18", "--seed-part", "x"}).out;
        QCOMPARE(runB, runA);
        QCOMPARE(classesById(b), classesById(a));
        QVERIFY(classesById(c) != classesById(a));
    }

    void sealedRosterRefusesEveryChange_data() { addCommands(); }
    void sealedRosterRefusesEveryChange()
    {
        QFETCH(QString, command);
        Sandbox sb;
        sealed(sb);
        command = expand(sb, command);
        const QString before = everything(sb);
        const CliRun r = cli(sb, command.split(u' '));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains("名单已封存，"), qPrintable(r.out + r.err));
        QCOMPARE(everything(sb), before);
    }

    void sealedRosterRefusesTypedCells()
    {
        Sandbox sb;
        sealed(sb);
        const QString before = everything(sb);
        QVERIFY(!reportErrors(sb.prompt, [&] { SaveTypedClass(sb.ctx, {"2026001", 3}); }));
        QVERIFY(!reportErrors(sb.prompt, [&] {
            SaveTypedRow(sb.ctx, {"2026001", {{QStringLiteral("语文"), QStringLiteral("1")}}});
        }));
        QCOMPARE(sb.prompt.messages.size(), 2);
        for (const QString& m : sb.prompt.messages)
            QVERIFY2(m.contains("名单已封存，"), qPrintable(m));
        QCOMPARE(everything(sb), before);
    }

    void changesAfterTheRunNeedAReason_data() { addCommands(); }
    void changesAfterTheRunNeedAReason()
    {
        QFETCH(QString, command);
        Sandbox sb;
        sealed(sb);
        run(sb, "public run --seed-part 1");
        command = expand(sb, command);
        const QString before = everything(sb);
        const CliRun refused = cli(sb, command.split(u' '));
        QCOMPARE(refused.status, 1);
        QVERIFY(refused.out.contains("名单已封存，"));
        QCOMPARE(everything(sb), before);
        const bool classChange = !command.startsWith("import") && !command.startsWith("create") &&
                                 !command.startsWith("rule") && !command.startsWith("divide");
        const CliRun reasoned = cli(sb, command.split(u' ') + QStringList{"--reason", "家长申请"});
        QCOMPARE(reasoned.status == 0, classChange);
        if (!classChange || command == "redo") {
            QCOMPARE(everything(sb), before);
            return;
        }
        const QString audit = cli(sb, {"audit"}).out;
        QVERIFY2(audit.contains("\t理由：家长申请\t"), qPrintable(audit));
    }

    // Students who arrive after the run are added and placed without lifting
    // the seal, each step with its reason; without one, nothing changes.
    void lateStudentsAfterTheRunNeedAReason_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("import --add") << "import NEXT --add";
        QTest::newRow("place-new") << "place-new";
    }
    void lateStudentsAfterTheRunNeedAReason()
    {
        QFETCH(QString, command);
        Sandbox sb;
        sealed(sb);
        run(sb, "public run --seed-part 1");
        if (command == "place-new")
            run(sb, QStringLiteral("import %1 --add --reason 插班").arg(nextIntake(sb)));
        command = expand(sb, command);
        const QString before = everything(sb);
        const CliRun refused = cli(sb, command.split(u' '));
        QCOMPARE(refused.status, 1);
        QVERIFY(refused.out.contains("名单已封存，"));
        QCOMPARE(everything(sb), before);
        const CliRun reasoned = cli(sb, command.split(u' ') + QStringList{"--reason", "转学"});
        QCOMPARE(reasoned.status, 0);
        QVERIFY2(cli(sb, {"audit"}).out.contains("\t理由：转学\t"), qPrintable(reasoned.out));
    }

    // After the run, the notice (as a page and as a PDF) and the lookup page
    // show the fingerprint and the result digest in groups of four.
    void publishedPagesShowTheRun()
    {
        Sandbox sb;
        sealed(sb);
        const CliRun r = cli(sb, {"public", "run", "--seed-part", "1"});
        QCOMPARE(r.status, 0);
        const QString digest = valueOf(r.out, "分班结果摘要");
        QCOMPARE(digest.size(), 64);
        const QString fingerprint = valueOf(cli(sb, {"audit"}).out, "阳光分班名单指纹");
        QCOMPARE(fingerprint.size(), 64);
        auto grouped = [](const QString& hex) {
            QStringList groups;
            for (int i = 0; i < hex.size(); i += 4)
                groups.append(hex.mid(i, 4));
            return groups.join(u' ');
        };
        run(sb, "notice --out n.html");
        run(sb, "lookup-page --out l.html");
        run(sb, "notice --out n.pdf");
        for (const QString page : {"n.html", "l.html"}) {
            const QString text = QString::fromUtf8(fileBytes(sb.ctx.file(page)));
            QVERIFY2(text.contains(grouped(fingerprint)), qPrintable(page));
            QVERIFY2(text.contains(grouped(digest)), qPrintable(page));
        }
        const QString pdf = pdfPages(sb.ctx.file("n.pdf")).join(u'\n');
        QVERIFY2(pdf.contains(QStringLiteral("阳光分班核对信息")), qPrintable(pdf.right(400)));
        // The digests wrap in their cells, around their labels.
        QString flat = pdf;
        flat.remove(QRegularExpression(QStringLiteral("\\s")))
            .remove(QStringLiteral("阳光分班名单指纹"))
            .remove(QStringLiteral("分班结果摘要"));
        QVERIFY(flat.contains(fingerprint + digest));
    }

    void unfreezeIsRecorded()
    {
        Sandbox sb;
        sealed(sb);
        QCOMPARE(cli(sb, {"public", "unfreeze"}).status, 1);
        QVERIFY(cli(sb, {"rule", "clear"}).out.contains("名单已封存，"));
        run(sb, "public unfreeze --reason 名单有误");
        QVERIFY(cli(sb, {"audit"}).out.contains("\t解除封存\t理由：名单有误\t名单指纹"));
        QCOMPARE(cli(sb, {"rule", "clear"}).status, 0);
        QCOMPARE(cli(sb, {"public", "unfreeze", "--reason", "x"}).status, 1);
    }

    void packageChecks_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("step");
        const QString differ = "与结果.csv不同", roster = "名单指纹与数据包记录的不同",
                      seed = "种子与数据包记录的不同";
        QTest::newRow("fresh") << ""
                               << ""
                               << "核对通过";
        QTest::newRow("score") << "名单.csv"
                               << "score" << roster;
        QTest::newRow("class") << "结果.csv"
                               << "class" << differ;
        QTest::newRow("part") << "种子.txt"
                              << "part" << seed;
        QTest::newRow("order") << "种子.txt"
                               << "order" << seed;
        QTest::newRow("missing") << "名单.csv"
                                 << "missing" << roster;
        QTest::newRow("missing result") << "结果.csv"
                                        << "missing" << differ;
        QTest::newRow("extra") << "名单.csv"
                               << "extra" << roster;
        QTest::newRow("extra result") << "结果.csv"
                                      << "extra" << differ;
        QTest::newRow("plan") << "方案.txt"
                              << "plan" << roster;
        QTest::newRow("digest") << "摘要.txt"
                                << "digest"
                                << "分班结果摘要与数据包记录的不同";
    }
    void packageChecks()
    {
        QFETCH(QString, member);
        QFETCH(QString, how);
        QFETCH(QString, step);
        Sandbox sb;
        const QString zip = packaged(sb);
        if (!member.isEmpty())
            tamper(zip, member, how);
        // The check needs no application folder: it runs in another one.
        Sandbox elsewhere;
        const CliRun r = cli(elsewhere, {"public", "verify", zip});
        QCOMPARE(r.status, step == "核对通过" ? 0 : 1);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.last().contains(step), qPrintable(r.out));
        QVERIFY(lines.first().startsWith("名单指纹\t"));
        QVERIFY(QDir(elsewhere.dir.path()).entryList(QDir::Files).isEmpty());
    }

    // Every kind of rule goes into 规则.csv and comes back from it the same:
    // a class list, a teacher and a wish as well as the placement rules.
    void everyRuleKindRoundTrips()
    {
        Sandbox sb;
        run(sb, "create 原学校 品质等级 是否班干部 语文 数学 英语");
        run(sb, "sample --students 60 --seed 5");
        run(sb, "import");
        run(sb, "rule classes 2026003 1,3-4");
        run(sb, "rule avoid-teacher 2026004 乙");
        run(sb, "rule prefer 2026005 2026006 2026007");
        run(sb, "rule apart 2026001 2026002");
        run(sb, "public freeze custom --classes 4 --teachers 甲,乙,丙,丁");
        run(sb, "public run --seed-part 314");
        run(sb, "public package --out pkg.zip");
        Sandbox elsewhere;
        const CliRun r = cli(elsewhere, {"public", "verify", sb.ctx.file("pkg.zip")});
        QVERIFY2(r.status == 0 && r.out.contains("核对通过"), qPrintable(r.out + r.err));
    }

    // Late students added and placed after the run: the check replays their
    // addition from the rows 改动.csv holds, and fails when those rows, their
    // class or their placement were changed.
    void lateStudentsAreReplayed_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("step");
        QTest::newRow("fresh") << ""
                               << "核对通过";
        QTest::newRow("a late student's score") << "score"
                                                << "新增学生与其行指纹不同";
        QTest::newRow("a late student dropped, digest made again") << "drop"
                                                                   << "与结果.csv不同";
        QTest::newRow("a late student's class") << "class"
                                                << "与结果.csv不同";
        QTest::newRow("a late student's placement") << "placement"
                                                    << "与结果.csv不同";
    }
    void lateStudentsAreReplayed()
    {
        QFETCH(QString, how);
        QFETCH(QString, step);
        Sandbox sb;
        sealed(sb);
        run(sb, "public run --seed-part 9");
        run(sb, QStringLiteral("import %1 --add --reason 插班").arg(nextIntake(sb)));
        run(sb, "place-new --reason 插班生");
        run(sb, "public package --out pkg.zip");
        const QString zip = sb.ctx.file("pkg.zip");
        std::optional<QMap<QString, QByteArray>> files = readZip(zip);
        QVERIFY(files);
        QVector<QStringList> changes = parseCsv(files->value("改动.csv"));
        QStringList& added = changes[1];
        QStringList& placed = changes[2];
        QVERIFY2(added.value(4).contains("3000001,新甲,男,光明小学"), qPrintable(added.join('|')));
        QCOMPARE(added.value(5), sha256(added.value(4).toUtf8()));
        if (how == "score") {
            added[4].replace(",90,90,90,270", ",91,90,90,271");
        } else if (how == "drop") {
            added[4] = added.value(4).section(u'\n', 0, 1) + u'\n';
            added[5] = sha256(added.value(4).toUtf8());
        } else if (how == "class") {
            const QByteArray was = QByteArray::number(classesById(sb).value("3000001"));
            (*files)["结果.csv"].replace("3000001," + was, "3000001," + was + "0");
        } else if (how == "placement") {
            placed[3].replace(QRegularExpression("3000001:0>\\d"), "3000001:0>0");
        }
        QByteArray text;
        for (const QStringList& row : changes) {
            QStringList cells;
            for (const QString& cell : row)
                cells.append(csvField(cell));
            text += cells.join(u',').toUtf8() + '\n';
        }
        files->insert("改动.csv", text);
        QVector<std::pair<QString, QByteArray>> members;
        for (const QString& name : packageMembers())
            members.append({name, files->value(name)});
        QVERIFY(writeZip(zip, members));
        Sandbox elsewhere;
        const CliRun r = cli(elsewhere, {"public", "verify", zip});
        QCOMPARE(r.status, step == "核对通过" ? 0 : 1);
        QVERIFY2(r.out.trimmed().split(u'\n').last().contains(step), qPrintable(r.out));
    }

    void recordedChangesAreReplayed()
    {
        Sandbox sb;
        sealed(sb);
        run(sb, "public run --seed-part 5");
        const int cls = classesById(sb).value("2026005");
        run(sb, QStringLiteral("transfer 2026005 %1 --reason 家长申请").arg(cls % 4 + 1));
        run(sb, "public package --out pkg.zip");
        Sandbox elsewhere;
        const CliRun r = cli(elsewhere, {"public", "verify", sb.ctx.file("pkg.zip")});
        QVERIFY2(r.status == 0, qPrintable(r.out));
    }

    void badPlansAndPartsAreRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::newRow("no classes") << "public freeze custom" << 2;
        QTest::newRow("no scheme") << "public freeze nothing --classes 4" << 2;
        QTest::newRow("foreign option") << "public freeze custom --classes 4 --subject 语文" << 2;
        QTest::newRow("unpaired runs") << "public freeze fastslow --students 30" << 2;
        QTest::newRow("zero classes") << "public freeze grade --classes 0" << 2;
        QTest::newRow("unknown condition")
            << "public freeze custom --classes 4 --conditions 身高" << 2;
        QTest::newRow("teachers short") << "public freeze custom --classes 4 --teachers 甲,乙" << 1;
        QTest::newRow("teacher twice") << "public freeze custom --classes 2 --teachers 甲,甲" << 1;
        QTest::newRow("not sealed") << "public run --seed-part 1" << 1;
        QTest::newRow("no part") << "public run" << 2;
        QTest::newRow("blank part") << "public run --seed-part 1 --seed-part  " << 1;
        QTest::newRow("no run to print") << "public sheet" << 1;
        QTest::newRow("no run to pack") << "public package" << 1;
        QTest::newRow("not sealed to lift") << "public unfreeze --reason x" << 1;
    }
    void badPlansAndPartsAreRefused()
    {
        QFETCH(QString, command);
        QFETCH(int, status);
        Sandbox sb;
        run(sb, "create 原学校 品质等级 是否班干部 语文 数学 英语");
        run(sb, "sample --students 30 --seed 5");
        run(sb, "import");
        const QString before = everything(sb);
        QStringList args = command.trimmed().split(u' ');
        if (command.endsWith("  "))
            args.append("  ");
        QCOMPARE(cli(sb, args).status, status);
        QCOMPARE(everything(sb), before);
        QVERIFY(!cli(sb, {"audit"}).out.contains("阳光分班名单指纹"));
    }

    // A roster changed behind the seal (by another program) no longer gives
    // the sealed fingerprint: the run refuses and changes nothing.
    void runRefusesAChangedRoster()
    {
        Sandbox sb;
        sealed(sb);
        OpenStore(sb.ctx).exec("UPDATE studscore SET 语文=语文+1 WHERE 编号='2026001'");
        const QString before = everything(sb);
        const CliRun r = cli(sb, {"public", "run", "--seed-part", "1"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains("名单、分班规则或方案与封存时不同"), qPrintable(r.out));
        QCOMPARE(everything(sb), before);
    }

    // Names with a comma, a quote and a line break survive 名单.csv: the
    // package of such a roster passes its check.
    void quotedCellsRoundTrip()
    {
        Sandbox sb;
        run(sb, "create 原学校 语文 数学");
        run(sb, "sample --students 24 --seed 4");
        run(sb, "import");
        OpenStore(sb.ctx).exec(
            "UPDATE studscore SET 姓名='张,\"三\"\n丰', 原学校='a,b' WHERE 编号='2026001'");
        run(sb, "public freeze custom --classes 3");
        const QByteArray roster = fileBytes(sb.ctx.file("阳光分班/名单.csv"));
        QVERIFY(roster.contains("2026001,\"张,\"\"三\"\"\n丰\",男") ||
                roster.contains("2026001,\"张,\"\"三\"\"\n丰\",女"));
        run(sb, "public run --seed-part 9");
        run(sb, "public package --out pkg.zip");
        Sandbox elsewhere;
        const CliRun r = cli(elsewhere, {"public", "verify", sb.ctx.file("pkg.zip")});
        QVERIFY2(r.status == 0, qPrintable(r.out));
    }

    // The README's shell recipe gives the class numbers and head teachers
    // the run drew.
    void shellRecipeRedoesTheDraws()
    {
        if (QStandardPaths::findExecutable("bc").isEmpty())
            QSKIP("bc is not installed");
        Sandbox sb;
        sealed(sb);
        const CliRun r = cli(sb, {"public", "run", "--seed-part", "314", "--seed-part", "2718"});
        const QString seed = valueOf(r.out, "种子");
        QProcess sh;
        sh.setWorkingDirectory(sb.ctx.file("阳光分班"));
        sh.start("sh", {"-c", "SEED=" + seed + R"(
draw() { echo "m=$3; ibase=16; $(printf '%s' "$SEED-$1-$2" | sha256sum | cut -c1-16 | tr a-f A-F) % m" | bc; }
T=$(( 0x$(printf '%s' "$SEED-teachers" | sha256sum | cut -c1-8) ))
for k in 1 2 3 4; do draw class $k $((5-k)); done
for k in 1 2 3 4; do echo "m=$((5-k)); ibase=16; $(printf '%s' "$T-$k" | sha256sum | cut -c1-16 | tr a-f A-F) % m" | bc; done)"});
        QVERIFY(sh.waitForFinished());
        const QStringList picks = QString::fromLatin1(sh.readAllStandardOutput()).split(u'\n');
        QStringList numbers{"1", "2", "3", "4"}, teachers{"甲", "乙", "丙", "丁"}, drawn;
        for (int k = 0; k < 4; ++k)
            drawn.append(numbers.takeAt(picks.at(k).toInt()));
        // The group dealt as class k became class drawn[k-1]; its teacher is
        // the k-th drawn for the classes in ascending order.
        QStringList byClass(4);
        for (int k = 0; k < 4; ++k)
            byClass[k] = teachers.takeAt(picks.at(4 + k).toInt());
        for (int k = 1; k <= 4; ++k)
            QCOMPARE(valueOf(r.out, QStringLiteral("%1班").arg(k)).section(u'\t', 4),
                     byClass.at(k - 1));
        QCOMPARE(drawn.size(), 4);
    }

    // The seal notice and the sheet: one or two A4 pages each, the
    // fingerprint in groups of four, the change after the run with its
    // reason, room for the signatures.
    void noticeAndSheetArePrinted()
    {
        QUORVEL_REQUIRE_TOOL(pdfToolsPresent(), "pdftotext");
        Sandbox sb;
        sealed(sb);
        run(sb, "public unfreeze --reason 重新封存");
        const CliRun freeze = cli(sb, {"public", "freeze", "custom", "--classes", "4", "--out",
                                       "公告.pdf", "--teachers", "甲,乙,丙,丁"});
        QCOMPARE(freeze.status, 0);
        QCOMPARE(freeze.out.split(u'\n', Qt::SkipEmptyParts).last(), sb.ctx.file("公告.pdf"));
        const QString fingerprint = valueOf(freeze.out, "名单指纹");
        run(sb, "public run --seed-part 7");
        run(sb, "transfer 2026009 1 --reason 双胞胎同班");
        QCOMPARE(cli(sb, {"public", "sheet", "--out", "记录.pdf"}).status, 0);
        const QStringList notice = pdfPages(sb.ctx.file("公告.pdf"));
        const QStringList sheet = pdfPages(sb.ctx.file("记录.pdf"));
        QCOMPARE(notice.size(), 1);
        QVERIFY(sheet.size() >= 1 && sheet.size() <= 2);
        QVERIFY(notice.first().contains("名单指纹"));
        QVERIFY(notice.first().contains("签名"));
        const QString all = sheet.join(u'\n');
        for (const QString& text : {QString("名单指纹"), QString("理由：双胞胎同班"),
                                    QString("阳光分班各班情况"), QString("签名")})
            QVERIFY2(all.contains(text), qPrintable(text));
    }
};

QTEST_MAIN(TestCliPublic)
#include "test_cli_public.moc"
