// Excel 5.0 workbooks as independent readers (xlrd, LibreOffice, FreeXL) see them.
#include "excel/biffwriter.h"
#include "excel/compoundfile.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <csignal>
#include <freexl.h>
#include <sys/resource.h>

using namespace quorvel;

namespace {

// Debian's interpreter, the one that sees python3-xlrd.
const QString kPython = QStringLiteral("/usr/bin/python3");

const char* const kXlrdScript = R"(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr)
sheet = book.sheet_by_index(0)
def cell(c):
    if c.ctype == xlrd.XL_CELL_EMPTY: return None
    if c.ctype == xlrd.XL_CELL_NUMBER: return float(c.value)
    return c.value if c.ctype == xlrd.XL_CELL_TEXT else 'xlrd type %d' % c.ctype
cells = [[cell(c) for c in sheet.row(r)] for r in range(sheet.nrows)]
print(json.dumps({'biff': book.biff_version // 10, 'codepage': book.codepage,
                  'sheets': book.sheet_names(), 'cells': cells}))
)";

// xlrd's own compound file reader, on any OLE2 file.
const char* const kCompdocScript = R"(
import hashlib, sys
from xlrd import compdoc
doc = compdoc.CompDoc(open(sys.argv[1], 'rb').read(), logfile=sys.stderr)
print(hashlib.md5(doc.get_named_stream('Book')).hexdigest())
)";

// What a reader saw: sheet names and the first sheet's cells, each a null
// QVariant, a double or a QString.
struct Workbook {
    QString error;
    int biff = 0;
    int codepage = 0;
    QStringList sheets;
    SheetRows cells;
};

QVariant normalized(const QVariant& v)
{
    if (v.typeId() == QMetaType::QString)
        return v.toString().isEmpty() ? QVariant() : v;
    return v.isValid() ? QVariant(v.toDouble()) : QVariant();
}

// The used range a reader should show: numbers as doubles, empty texts as
// empty cells, the rows padded to the widest one.
SheetRows expectedCells(const SheetRows& rows)
{
    SheetRows out;
    qsizetype width = 0;
    for (const QVariantList& row : rows) {
        QVariantList cells;
        for (const QVariant& v : row)
            cells.append(normalized(v));
        while (!cells.isEmpty() && cells.last().isNull())
            cells.removeLast();
        width = qMax(width, cells.size());
        out.append(cells);
    }
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    for (QVariantList& row : out)
        row.resize(width);
    return out;
}

// QVariant's == would take the text "85" for the number 85.
bool sameRow(const QVariantList& a, const QVariantList& b)
{
    const auto same = [](const QVariant& x, const QVariant& y) {
        return x.typeId() == y.typeId() && x == y;
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), same);
}

QString firstDifference(const SheetRows& got, const SheetRows& want)
{
    QString diff;
    for (qsizetype r = 0; r < qMax(got.size(), want.size()) && diff.isEmpty(); ++r) {
        if (!sameRow(got.value(r), want.value(r)))
            QDebug(&diff) << "row" << r << got.value(r) << "expected" << want.value(r);
    }
    return diff;
}

bool haveXlrd()
{
    static const bool have = QProcess::execute(kPython, {"-c", "import xlrd"}) == 0;
    return have;
}

// Runs a script under Debian's python; anything it prints on stderr is a failure.
QByteArray runPython(const char* script, const QString& arg, QString* error)
{
    QProcess p;
    p.start(kPython, {"-c", QString::fromUtf8(script), arg});
    const bool finished = p.waitForFinished(120000);
    const QByteArray complaints = p.readAllStandardError();
    if (!finished || p.exitCode() != 0 || !complaints.isEmpty())
        *error = QStringLiteral("python failed or complained: ") + complaints;
    return p.readAllStandardOutput();
}

Workbook readWithXlrd(const QString& path)
{
    Workbook wb;
    const QJsonObject o = QJsonDocument::fromJson(runPython(kXlrdScript, path, &wb.error)).object();
    wb.biff = o["biff"].toInt();
    wb.codepage = o["codepage"].toInt();
    for (const QJsonValue& name : o["sheets"].toArray())
        wb.sheets.append(name.toString());
    for (const QJsonValue& row : o["cells"].toArray()) {
        wb.cells.append(QVariantList());
        for (const QJsonValue& c : row.toArray())
            wb.cells.last().append(c.isDouble()   ? QVariant(c.toDouble())
                                   : c.isString() ? QVariant(c.toString())
                                                  : QVariant());
    }
    return wb;
}

QVariant freexlCell(const void* handle, unsigned row, unsigned short col)
{
    FreeXL_CellValue cell;
    if (freexl_get_cell_value(handle, row, col, &cell) != FREEXL_OK)
        return QStringLiteral("unreadable cell");
    switch (cell.type) {
    case FREEXL_CELL_NULL:
        return {};
    case FREEXL_CELL_INT:
        return double(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return cell.value.double_value;
    case FREEXL_CELL_TEXT:
        return QString::fromUtf8(cell.value.text_value);
    default:
        return QStringLiteral("FreeXL type %1").arg(cell.type);
    }
}

Workbook readWithFreeXl(const QString& path)
{
    Workbook wb;
    const void* handle = nullptr;
    if (const int rc = freexl_open(QFile::encodeName(path).constData(), &handle); rc != FREEXL_OK) {
        wb.error = QStringLiteral("freexl_open failed: %1").arg(rc);
        return wb;
    }
    unsigned info = 0;
    freexl_get_info(handle, FREEXL_BIFF_VERSION, &info);
    wb.biff = int(info);
    freexl_get_info(handle, FREEXL_BIFF_CODEPAGE, &info);
    wb.codepage = info == FREEXL_BIFF_CP936 ? 936 : int(info);
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &info);
    for (unsigned short i = 0; i < info; ++i) {
        const char* name = nullptr;
        freexl_get_worksheet_name(handle, i, &name);
        wb.sheets.append(QString::fromUtf8(name));
    }
    unsigned rows = 0;
    unsigned short cols = 0;
    freexl_select_active_worksheet(handle, 0);
    freexl_worksheet_dimensions(handle, &rows, &cols);
    for (unsigned r = 0; r < rows; ++r) {
        wb.cells.append(QVariantList());
        for (unsigned short c = 0; c < cols; ++c)
            wb.cells.last().append(freexlCell(handle, r, c));
    }
    freexl_close(handle);
    return wb;
}

// FreeXL always, xlrd too when it is there and can decode the texts.
QList<Workbook> readers(const QString& path, bool withXlrd)
{
    QList<Workbook> out{readWithFreeXl(path)};
    if (withXlrd && haveXlrd())
        out.append(readWithXlrd(path));
    return out;
}

// A quoted CSV field is a text (every text is quoted), an unquoted one a number.
QVariantList parseCsvLine(const QString& line)
{
    QVariantList fields;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        QString text;
        if (i < line.size() && line[i] == u'"') {
            for (++i; i < line.size(); ++i) {
                const bool quote = line[i] == u'"';
                if (quote && (i + 1 == line.size() || line[i + 1] != u'"'))
                    break;
                i += quote ? 1 : 0; // a doubled quote stands for one
                text += line[i];
            }
            fields.append(text);
            ++i;
        } else {
            for (; i < line.size() && line[i] != u','; ++i)
                text += line[i];
            fields.append(text.isEmpty() ? QVariant() : QVariant(text.toDouble()));
        }
    }
    return fields;
}

Workbook readWithLibreOffice(const QString& soffice, const QString& path, const QString& profileDir,
                             const QString& workDir)
{
    QProcess p;
    const QString profile = QUrl::fromLocalFile(profileDir).toString();
    // Comma, double quote, UTF-8, text cells quoted, numbers unquoted and as stored
    // rather than as shown.
    const QString filter =
        QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,false");
    p.start(soffice, {"-env:UserInstallation=" + profile, "--headless", "--norestore",
                      "--convert-to", filter, "--outdir", workDir, path});
    Workbook wb;
    QFile csv(workDir + u'/' + QFileInfo(path).completeBaseName() + ".csv");
    if (!p.waitForFinished(300000) || p.exitCode() != 0 || !csv.open(QIODevice::ReadOnly)) {
        wb.error = QStringLiteral("soffice failed: ") + p.readAllStandardError();
        return wb;
    }
    QStringList lines = QString::fromUtf8(csv.readAll()).remove(u'\r').split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (const QString& line : lines)
        wb.cells.append(parseCsvLine(line));
    return wb;
}

QVariantList headers()
{
    QVariantList out;
    for (const char* h :
         {"编号", "姓名", "性别", "班级", "原学校", "是否住宿", "语文", "英语", "总分"})
        out.append(QString::fromUtf8(h));
    return out;
}

SheetRows roster()
{
    const QVariant none;
    return {headers(),
            {2026001, "张伟", "男", none, "城关一中", "是", 85, 90.5, 175.5},
            {2026002, "李娜", "女", none, "实验中学", "否", 92, none, 92},
            {2026003, "欧阳晓明", "男", none, "第二中学（东校区）", "是", 85.5, 88, 173.5}};
}

SheetRows numbers()
{
    return {{85, 85.5, 2026001, qint64(20260010001), -3},
            {0, 0.1, 0.5f, 7u, 1234567.875},
            {qlonglong(-2147483649LL), 1e15, 3.25e-7, short(-12), 99.99}};
}

SheetRows emptyCells()
{
    const QVariant none;
    return {{none, "B1", none},    {},       {none, none, 3, none, none},
            {"", QString(), none}, {"末行"}, {}};
}

SheetRows manyRows(int count, int columns, const QString& text)
{
    SheetRows rows{headers()};
    for (int i = 1; i <= count; ++i) {
        QVariantList row{2026000 + i, QStringLiteral("学生%1").arg(i), i % 2 ? "男" : "女",
                         i % 12 + 1};
        for (int c = int(row.size()); c < columns; ++c)
            row.append(c % 3 ? QVariant(text.arg(i).arg(c)) : QVariant(i % 100 + c * 0.25));
        rows.append(row);
    }
    return rows;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

class TestBiffWriter : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString& sheetName, const SheetRows& rows)
    {
        const QString path = m_dir.filePath(QStringLiteral("%1.xls").arg(QTest::currentDataTag()));
        QString error;
        if (!writeBiff5Workbook(path, sheetName, rows, &error))
            qWarning("write failed: %s", qPrintable(error));
        return path;
    }

    static void addSheets(bool large)
    {
        QTest::addColumn<QString>("sheetName");
        QTest::addColumn<SheetRows>("rows");
        QTest::newRow("roster") << QStringLiteral("一年级分班") << roster();
        QTest::newRow("numbers") << QStringLiteral("Numbers") << numbers();
        QTest::newRow("empty cells") << QStringLiteral("空格") << emptyCells();
        QTest::newRow("2000 rows") << QStringLiteral("名单") << manyRows(2000, 9, "%1-%2");
        if (!large)
            return;
        QTest::newRow("no cells") << QStringLiteral("空表") << SheetRows{};
        QTest::newRow("16384 rows") << QStringLiteral("最多") << manyRows(16383, 4, "");
        // Over 109 FAT sectors, so the compound file needs a DIFAT sector.
        const QString text =
            QStringLiteral("第%1行第%2列：城关第一中学初中部二〇二六级新生分班名单备注");
        QTest::newRow("5000x30 over 7 MB") << QStringLiteral("大表") << manyRows(5000, 30, text);
    }

    static void compare(const Workbook& wb, const QString& sheetName, const SheetRows& rows)
    {
        QVERIFY2(wb.error.isEmpty(), qPrintable(wb.error));
        QCOMPARE(wb.biff, 5);
        QCOMPARE(wb.codepage, 936);
        QCOMPARE(wb.sheets, QStringList{sheetName});
        const QString diff = firstDifference(wb.cells, expectedCells(rows));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void xlrdReadsBack_data() { addSheets(true); }
    void xlrdReadsBack()
    {
        if (!haveXlrd())
            QSKIP("python3-xlrd is not installed for /usr/bin/python3");
        QFETCH(QString, sheetName);
        QFETCH(SheetRows, rows);
        compare(readWithXlrd(write(sheetName, rows)), sheetName, rows);
    }

    void freexlReadsBack_data() { addSheets(true); }
    void freexlReadsBack()
    {
        QFETCH(QString, sheetName);
        QFETCH(SheetRows, rows);
        compare(readWithFreeXl(write(sheetName, rows)), sheetName, rows);
    }

    void libreOfficeReadsBack_data() { addSheets(false); }
    void libreOfficeReadsBack()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        QFETCH(QString, sheetName);
        QFETCH(SheetRows, rows);
        QTemporaryDir work;
        const Workbook wb =
            readWithLibreOffice(soffice, write(sheetName, rows),
                                m_dir.filePath(QStringLiteral("lo-profile")), work.path());
        QVERIFY2(wb.error.isEmpty(), qPrintable(wb.error));
        const QString diff = firstDifference(wb.cells, expectedCells(rows));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void textsInGbk_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("pythonDecodes");
        const auto row = [](const char* tag, const QString& text, const QString& expected,
                            bool python = true) {
            QTest::newRow(tag) << text << expected << python;
        };
        const QString wide(200, u'中');
        row("mixed", "张三 Zhang（男）", "张三 Zhang（男）");
        row("punctuation", "·—“”", "·—“”");
        // Code page 936 has the euro sign at 0x80; Python's GBK codec lacks it.
        row("euro", "100€", "100€", false);
        row("emoji", "A😀B", "A?B");
        row("hangul then chinese", "한글中", "??中");
        row("255 bytes kept", QString(255, u'x'), QString(255, u'x'));
        row("300 bytes cut", QString(300, u'x'), QString(255, u'x'));
        row("odd cut", u'a' + wide, u'a' + wide.left(127));
        row("even cut", wide, wide.left(127));
    }
    void textsInGbk()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(bool, pythonDecodes);
        const QString path = write(QStringLiteral("Sheet1"), {{text}});
        for (const Workbook& wb : readers(path, pythonDecodes)) {
            QVERIFY2(wb.error.isEmpty(), qPrintable(wb.error));
            QVERIFY(sameRow(wb.cells.value(0), {expected}) && wb.cells.size() == 1);
        }
    }

    void sheetNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, const QString& name, const QString& expected) {
            QTest::newRow(tag) << name << expected;
        };
        const QString longName = QStringLiteral(
            "高一年级新生分班名单（第一批）按总分从高到低排序后的结果及各班班主任名单");
        row("chinese", "一年级分班结果", "一年级分班结果");
        row("31 chars", longName, longName.left(31));
        row("forbidden", "一班[男]/女:*?\\", "一班_男__女____");
        row("not in gbk", "한班中", "_班中");
        row("blank", "  ", "Sheet1");
        row("trimmed", "  一班  ", "一班");
    }
    void sheetNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QString path = write(name, {{1}});
        for (const Workbook& wb : readers(path, true)) {
            QVERIFY2(wb.error.isEmpty(), qPrintable(wb.error));
            QCOMPARE(wb.sheets, QStringList{expected});
        }
    }

    void replacesExistingFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("again.xls"));
        QVERIFY(writeBiff5Workbook(path, QStringLiteral("旧"), manyRows(300, 9, "%1-%2")));
        QVERIFY(writeBiff5Workbook(path, QStringLiteral("新"), roster()));
        compare(readWithFreeXl(path), QStringLiteral("新"), roster());
    }

    void compoundFiles_data()
    {
        QTest::addColumn<int>("streamSize");
        QTest::addColumn<int>("fatSectors");
        QTest::addColumn<int>("difatSectors");
        QTest::newRow("padded to 4096") << 100 << 1 << 0;
        QTest::newRow("one byte past 4096") << 4097 << 1 << 0;
        QTest::newRow("109 FAT sectors") << 13842 * 512 << 109 << 0;
        QTest::newRow("110 FAT sectors") << 13842 * 512 + 1 << 110 << 1;
        QTest::newRow("four DIFAT sectors") << 40'000'000 << 616 << 4;
    }
    void compoundFiles()
    {
        QFETCH(int, streamSize);
        QFETCH(int, fatSectors);
        QFETCH(int, difatSectors);
        QByteArray stream(streamSize, '\0');
        for (int i = 0; i < streamSize; ++i)
            stream[i] = char(i % 251); // no two sectors alike
        const QByteArray file = buildCompoundFile(QStringLiteral("Book"), stream);
        QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 44), quint32(fatSectors));
        QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 72), quint32(difatSectors));
        if (!haveXlrd())
            QSKIP("python3-xlrd is not installed for /usr/bin/python3");
        const QString path = m_dir.filePath(QStringLiteral("compound.bin"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();
        QString error;
        const QByteArray md5 = runPython(kCompdocScript, path, &error).trimmed();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        stream.append(QByteArray(qMax(0, 4096 - streamSize), '\0'));
        QCOMPARE(md5, QCryptographicHash::hash(stream, QCryptographicHash::Md5).toHex());
    }

    void refusesOversizedSheets_data()
    {
        QTest::addColumn<SheetRows>("rows");
        QTest::addColumn<QString>("limit");
        QTest::newRow("16385 rows") << SheetRows(16385, {1}) << "16384";
        QTest::newRow("257 columns") << SheetRows{QVariantList(257, 1)} << "256";
    }
    void refusesOversizedSheets()
    {
        QFETCH(SheetRows, rows);
        QFETCH(QString, limit);
        const QString path = m_dir.filePath(QStringLiteral("kept.xls"));
        QVERIFY(writeBiff5Workbook(path, QStringLiteral("Sheet1"), roster()));
        const QByteArray before = readAll(path);
        QString error;
        QVERIFY(!writeBiff5Workbook(path, QStringLiteral("Sheet1"), rows, &error));
        QVERIFY2(error.startsWith(u"无法写入文件 ") && error.contains(limit), qPrintable(error));
        QCOMPARE(readAll(path), before);
    }

    void writeFailures_data()
    {
        QTest::addColumn<QString>("relPath");
        QTest::newRow("missing folder") << "no/such/folder/out.xls";
        QTest::newRow("path is a folder") << "folder.xls";
        QTest::newRow("parent is a file") << "plain.txt/out.xls";
    }
    void writeFailures()
    {
        QFETCH(QString, relPath);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.xls")));
        QFile plain(dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QString error;
        QVERIFY(
            !writeBiff5Workbook(dir.filePath(relPath), QStringLiteral("名单"), roster(), &error));
        const QString prefix = QStringLiteral("无法写入文件 %1：").arg(dir.filePath(relPath));
        QVERIFY2(error.startsWith(prefix) && error.size() > prefix.size(), qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 (QStringList{"folder.xls", "plain.txt"}));
    }

    // The disk fills up half way: the old file stays as it was, no temporary is left.
    void failedWriteKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("roster.xls"));
        QVERIFY(writeBiff5Workbook(path, QStringLiteral("名单"), roster()));
        const QByteArray before = readAll(path);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit small{64 * 1024, saved.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        QString error;
        const bool ok =
            writeBiff5Workbook(path, QStringLiteral("名单"), manyRows(2000, 9, "%1-%2"), &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!ok);
        QCOMPARE(error, QStringLiteral("无法写入文件 %1：写入时出错，磁盘可能已满。").arg(path));
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"roster.xls"});
    }
};

QTEST_GUILESS_MAIN(TestBiffWriter)
#include "test_biffwriter.moc"
