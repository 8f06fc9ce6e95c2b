// Every road of the window that asks for a file, driven through the real
// widgets with the file dialogs answered from a queue: what each dialog is
// asked, that a cancelled dialog changes nothing, and what an answered one
// leaves behind (the students in the store, the file written, the text of
// the PDF).
#include "shellfixture.h"

#include "shell/intake/rulesdialog.h"
#include "shell/intake/sourcedialog.h"
#include "shell/window/navpanel.h"
#include "support/pdftext.h"

#include "core/textfile.h"
#include "publish/lookuppage.h"
#include "publish/notice.h"
#include "stats/roster.h"

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

using namespace quorvel;
using namespace quorvel::test;

namespace {

ColumnInfo column(const QString& name, ColumnType::Kind kind)
{
    ColumnType type;
    type.kind = kind;
    return {name, type};
}

// The rows as a workbook of one sheet, the header in row 1: an .xlsx, or a
// .csv in UTF-8.
void writeWorkbook(const QString& path, const QStringList& header,
                   const QVector<QVariantList>& rows)
{
    if (path.endsWith(".csv")) {
        QStringList lines{header.join(u',')};
        for (const QVariantList& row : rows) {
            QStringList cells;
            for (const QVariant& v : row)
                cells.append(v.toString());
            lines.append(cells.join(u','));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write((lines.join("\r\n") + "\r\n").toUtf8());
        return;
    }
    RosterSheet sheet;
    sheet.name = QStringLiteral("学生");
    sheet.titled = false;
    for (const QString& name : header)
        sheet.columns.append(column(name, name == u"语文" || name == u"数学" ? ColumnType::Single
                                                                             : ColumnType::Text));
    for (const QVariantList& row : rows)
        sheet.rows.append(row);
    Sandbox scratch;
    QVERIFY(WriteRosterWorkbook(path, {sheet}, scratch.ctx));
}

const QStringList intakeHeader{"编号", "姓名", "性别", "语文", "数学"};
const QVector<QVariantList> intakeRows{{"2026001", "张三", "男", 90, 80},
                                       {"2026002", "李四", "女", 70, 60},
                                       {"2026003", "王五", "男", 50, 40}};
const QStringList intakeStored{"2026001|张三|男|<null>|90|80|170",
                               "2026002|李四|女|<null>|70|60|130",
                               "2026003|王五|男|<null>|50|40|90"};

// Records the folders and files the desktop is asked to open.
class FolderRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
    FolderRecorder() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~FolderRecorder() override { QDesktopServices::unsetUrlHandler("file"); }
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestFileDialogs : public QObject, WindowTest {
    Q_OBJECT

    QString folder() const { return sb().ctx.folder; }

    // Six students of two classes with 语文 and 数学.
    void placed()
    {
        makeStore(sb(), {"语文", "数学"});
        addStudents(sb(), parseIntake("2026001/男/170/1/90/80 2026002/女/130/2/70/60 "
                                      "2026003/男/90/1/50/40 2026004/女/150/2/75/75 "
                                      "2026005/男/120/1/60/60 2026006/女/110/2/55/55",
                                      {"班级", "语文", "数学"}));
        sb().prompt.messages.clear();
    }

    // A road to a file dialog: "group/item", then "dialog/button" pairs to
    // click in the dialogs it opens; the last click asks for the file.
    void walk(const QString& road)
    {
        const QStringList steps = road.split(u'/');
        form()->navPanel()->setOpenGroup(steps[0].toInt());
        QTest::mouseClick(form()->item(steps[1]), Qt::LeftButton);
        for (int i = 2; i + 1 < steps.size(); i += 2)
            click(control(form(), steps[i]), steps[i + 1]);
    }

    SourceDialog* sourceDialog() const
    {
        // A dialog closed before waits for its deletion.
        for (auto* dialog : form()->findChildren<SourceDialog*>("SourceDialog"))
            if (dialog->isVisible())
                return dialog;
        return nullptr;
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void cancelledDialogChangesNothing_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("start"); // ~ the home folder, @ the application folder
        QTest::newRow("从表格导入") << "0/sourceimport"
                                    << "open"
                                    << "从表格导入"
                                    << "~";
        QTest::newRow("添加插班生") << "0/sourceadd"
                                    << "open"
                                    << "添加插班生"
                                    << "~";
        QTest::newRow("从表格新建数据库") << "0/sourcecreate"
                                          << "open"
                                          << "从表格新建数据库"
                                          << "~";
        QTest::newRow("分班规则 导入") << "0/rules/RulesDialog/ruleImport"
                                       << "open"
                                       << "导入分班规则"
                                       << "@";
        QTest::newRow("导出分班结果") << "2/resultexport"
                                      << "save"
                                      << "导出分班结果"
                                      << "@/分班结果.xlsx";
        QTest::newRow("打印班级名单 导出PDF") << "2/dayin/printDialog/printPdf"
                                              << "save"
                                              << "导出PDF"
                                              << "@/班级名单.pdf";
        QTest::newRow("分班公示") << "2/gongshi"
                                  << "save"
                                  << "保存分班公示"
                                  << "@/分班公示.pdf";
        QTest::newRow("家长查询页") << "2/chaxun"
                                    << "save"
                                    << "保存家长查询页"
                                    << "@/分班查询.html";
    }
    void cancelledDialogChangesNothing()
    {
        QFETCH(QString, road);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(QString, start);
        placed();
        const QStringList rows = tableRows(sb(), "studscore");
        const QMap<QString, QByteArray> files = folderFiles(folder());
        walk(road);
        QCOMPARE(this->files().requests.size(), 1);
        const FakeFileChooser::Request& asked = this->files().requests[0];
        QCOMPARE(asked.kind, kind);
        QCOMPARE(asked.caption, caption);
        start.replace(u'~', QDir::homePath()).replace(u'@', folder());
        QCOMPARE(asked.start, start);
        QVERIFY(!asked.filter.isEmpty());
        QCOMPARE(sb().prompt.messages, QStringList());
        QCOMPARE(tableRows(sb(), "studscore"), rows);
        QCOMPARE(folderFiles(folder()), files);
        QVERIFY(!sourceDialog());
    }

    void importsAWorkbook_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xlsx") << "学生.xlsx";
        QTest::newRow("csv") << "学生.csv";
    }
    void importsAWorkbook()
    {
        QFETCH(QString, file);
        makeStore(sb(), {"语文", "数学"});
        const QString path = sb().dir.filePath(file);
        writeWorkbook(path, intakeHeader, intakeRows);
        files().paths = {path};
        walk("0/sourceimport");
        SourceDialog* dialog = sourceDialog();
        QVERIFY(dialog);
        QCOMPARE(control<QLineEdit>(dialog, "sourceFile")->text(), QDir::toNativeSeparators(path));
        click(dialog, "sourceImport");
        QCOMPARE(tableRows(sb(), "studscore"), intakeStored);
        QCOMPARE(form()->countLabel()->text(), QStringLiteral("共有3人"));
    }

    // 添加插班生: the stored students stay as they were; of the workbook's
    // rows only the new 编号 comes in, with class 0; 插班生分班 places it.
    void addsAndPlacesLateStudents()
    {
        placed();
        const QStringList stored = tableRows(sb(), "studscore");
        const QString late = sb().dir.filePath("late.xlsx");
        writeWorkbook(late, intakeHeader,
                      {{"2026002", "李四", "女", 1, 1}, {"2026007", "赵七", "女", 66, 55}});
        files().paths = {late};
        sb().prompt.answers = {true}; // the stored row is left out
        walk("0/sourceadd");
        SourceDialog* dialog = sourceDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("添加插班生"));
        click(dialog, "sourceImport");
        QCOMPARE(tableRows(sb(), "studscore"), stored + QStringList{"2026007|赵七|女|0|66|55|121"});

        sb().prompt.messages.clear();
        walk("1/placenew");
        const QStringList now = tableRows(sb(), "studscore");
        QCOMPARE(now.mid(0, stored.size()), stored);
        QVERIFY(now.last().startsWith("2026007|赵七|女|1|") ||
                now.last().startsWith("2026007|赵七|女|2|"));
        QCOMPARE(sb().prompt.messages.size(), 1);
        QVERIFY(sb().prompt.messages[0].contains(QStringLiteral("新增1人，调动0人")));
    }

    // 浏览 in the import dialog starts in the workbook's folder and reads
    // the workbook chosen there instead.
    void browseChoosesAnotherWorkbook()
    {
        makeStore(sb(), {"语文", "数学"});
        const QString first = sb().dir.filePath("first.xlsx");
        writeWorkbook(first, intakeHeader, {{"2026009", "赵九", "男", 10, 10}});
        QVERIFY(QDir(folder()).mkdir("received"));
        const QString second = QDir(folder()).filePath("received/second.csv");
        writeWorkbook(second, intakeHeader, intakeRows);
        files().paths = {first};
        walk("0/sourceimport");
        SourceDialog* dialog = sourceDialog();
        QVERIFY(dialog);
        files().paths = {second};
        click(dialog, "sourceBrowse");
        QCOMPARE(files().requests.size(), 2);
        QCOMPARE(files().requests[1].caption, QStringLiteral("选择表格"));
        QCOMPARE(files().requests[1].start, folder());
        QCOMPARE(control<QLineEdit>(dialog, "sourceFile")->text(),
                 QDir::toNativeSeparators(second));
        // A cancelled browse keeps the workbook.
        click(dialog, "sourceBrowse");
        QCOMPARE(control<QLineEdit>(dialog, "sourceFile")->text(),
                 QDir::toNativeSeparators(second));
        click(dialog, "sourceImport");
        QCOMPARE(tableRows(sb(), "studscore"), intakeStored);
    }

    // 从表格新建数据库: the columns come from the workbook's header.
    void createsTheDatabaseFromAWorkbook()
    {
        makeStore(sb(), {"语文"});
        const QString path = sb().dir.filePath("new.csv");
        writeWorkbook(
            path, {"编号", "姓名", "性别", "原学校", "数学"},
            {{"2026001", "张三", "男", "一小", 80}, {"2026002", "李四", "女", "二小", 60}});
        files().paths = {path};
        sb().prompt.answers = {true}; // the rebuild's question
        walk("0/sourcecreate");
        Store store = OpenStore(sb().ctx);
        QStringList names;
        for (const ColumnInfo& c : store.columns("studscore"))
            names.append(c.name);
        QCOMPARE(names, (QStringList{"编号", "姓名", "性别", "班级", "原学校", "数学", "总分"}));
        QCOMPARE(tableRows(sb(), "studscore"), (QStringList{"2026001|张三|男|<null>|一小|80|80",
                                                            "2026002|李四|女|<null>|二小|60|60"}));
        QCOMPARE(form()->countLabel()->text(), QStringLiteral("共有2人"));
    }

    // 导出分班结果 and back through 从表格导入: the classes the file holds
    // come back after the store lost them.
    void exportedResultsComeBack_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xlsx") << "结果.xlsx";
        QTest::newRow("csv") << "结果.csv";
    }
    void exportedResultsComeBack()
    {
        QFETCH(QString, file);
        placed();
        const QStringList rows = tableRows(sb(), "studscore");
        const QString path = sb().dir.filePath(file);
        files().paths = {path};
        walk("2/resultexport");
        QVERIFY(sb().prompt.last().startsWith(QStringLiteral("已导出6人。")));
        QVERIFY(sb().prompt.last().contains(QDir::toNativeSeparators(path)));
        QCOMPARE(form()->savedLabel()->text(),
                 QStringLiteral("已保存：") + QDir::toNativeSeparators(path));
        {
            Store store = OpenStore(sb().ctx);
            store.exec("UPDATE studscore SET \"班级\"=0");
        }
        QVERIFY(tableRows(sb(), "studscore") != rows);
        files().paths = {path};
        walk("0/sourceimport");
        SourceDialog* dialog = sourceDialog();
        QVERIFY(dialog);
        click(dialog, "sourceImport");
        QCOMPARE(tableRows(sb(), "studscore"), rows);
    }

    void publishedFile_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        QTest::newRow("class lists, PDF")
            << "2/dayin/printDialog/printPdf"
            << "名单.pdf" << QStringList{"1班学生名单", "2班学生名单", "学生2026005"}
            << QStringList{};
        QTest::newRow("notice, PDF")
            << "2/gongshi"
            << "公示.pdf" << QStringList{} << QStringList{"学生2026005", "2026005"};
        QTest::newRow("notice, HTML") << "2/gongshi"
                                      << "公示.html" << QStringList{publicNoticeTitle(), "<html"}
                                      << QStringList{"学生2026005", "2026005"};
        QTest::newRow("lookup page") << "2/chaxun"
                                     << "查询.html" << QStringList{lookupPageTitle()}
                                     << QStringList{"学生2026005", "2026005"};
    }
    void publishedFile()
    {
        QFETCH(QString, road);
        QFETCH(QString, file);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);
        const bool pdf = file.endsWith(".pdf");
        if (pdf)
            QUORVEL_REQUIRE_TOOL(pdfToolsPresent(), "pdftotext (poppler-utils)");
        placed();
        const QString path = sb().dir.filePath(file);
        files().paths = {path};
        FolderRecorder opened;
        sb().prompt.answers = {true}; // open the folder
        walk(road);
        QVERIFY2(QFile::exists(path), qPrintable(sb().prompt.last()));
        // the full path said, the folder opened when asked
        QVERIFY(sb().prompt.last().contains(QDir::toNativeSeparators(path)));
        QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(sb().dir.path())});
        // pdftotext may space out the characters of a title.
        const QString text = pdf ? pdfPages(path).join(u'\f').remove(u' ') : readText(path);
        QVERIFY(!text.isEmpty());
        for (const QString& s : shown)
            QVERIFY2(text.contains(s), qPrintable(s));
        for (const QString& s : hidden)
            QVERIFY2(!text.contains(s), qPrintable(s));
    }

    // 分班规则 from a workbook: a 同班 rule of two students, a 分开 rule of
    // two others.
    void importsRules()
    {
        placed();
        const QString path = sb().dir.filePath("规则.csv");
        writeWorkbook(path, {"编号", "同班组", "分开组"},
                      {{"2026001", "A", ""},
                       {"2026003", "A", ""},
                       {"2026002", "", "B"},
                       {"2026004", "", "B"}});
        files().paths = {path};
        walk("0/rules/RulesDialog/ruleImport");
        QVERIFY2(sb().prompt.saw(QStringLiteral("已导入2条分班规则。")),
                 qPrintable(sb().prompt.last()));
        QTableWidget* table = form()->rulesDialog()->table();
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("同班"));
        QVERIFY(table->item(0, 2)->text().startsWith("2026001"));
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("分开"));
        QVERIFY(table->item(1, 2)->text().startsWith("2026002"));
    }
};

QTEST_MAIN(TestFileDialogs)
#include "test_filedialogs.moc"
