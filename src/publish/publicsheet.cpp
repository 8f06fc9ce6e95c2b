#include "publicsheet.h"

#include "classlistpdf.h"

#include "core/context.h"
#include "core/errors.h"
#include "core/session.h"
#include "public/package.h"
#include "public/plan.h"
#include "public/run.h"
#include "public/seal.h"
#include "store/classfigures.h"
#include "store/fieldlists.h"
#include "store/publicrecord.h"
#include "store/store.h"

#include <algorithm>

namespace quorvel {

namespace {

const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QVector<QStringList> signatureRows()
{
    const QString blank = QStringLiteral("＿＿＿＿＿＿＿＿＿＿＿＿＿＿＿＿");
    return {{QStringLiteral("监督人员签名"), blank},
            {QStringLiteral("家长代表签名"), blank},
            {QStringLiteral("学校负责人签名"), blank},
            {QStringLiteral("日期"), QStringLiteral("＿＿＿＿年＿＿月＿＿日")}};
}

// A digest in two rows of eight groups of four digits, which a cell holds.
QVector<QStringList> hexRows(const QString& label, const QString& hex)
{
    return {{label, groupedByFour(hex.left(32))}, {QString(), groupedByFour(hex.mid(32))}};
}

// The plan in words, a row for each of its items, so that no cell runs
// beyond the page.
QVector<QStringList> planRows(const QString& planText)
{
    const std::optional<PublicPlan> plan = parsePlan(planText);
    QVector<QStringList> rows;
    for (const QString& item : plan ? plan->words().split(QStringLiteral("，")) : QStringList())
        rows.append({rows.isEmpty() ? QStringLiteral("分班方案") : QString(), item});
    return rows;
}

QString number(const std::optional<double>& v)
{
    return v ? QString::number(*v, 'f', 2) : QString();
}

// The record of the run as a table of two columns.
PrintSheet recordSheet(Store& store, const PublicState& s)
{
    PrintSheet sheet{QStringLiteral("阳光分班记录"),
                     QStringLiteral("名单指纹、种子和分班结果摘要均为SHA-256，"
                                    "可用 quorvel-cli public verify 核对数据包"),
                     {QStringLiteral("项目"), QStringLiteral("内容")},
                     {}};
    auto& rows = sheet.rows;
    rows += hexRows(QStringLiteral("名单指纹"), s.fingerprint);
    rows << QStringList{QStringLiteral("封存时间"), s.sealedAt.toString(timeFormat)};
    rows += planRows(s.planText);
    for (qsizetype i = 0; i < s.parts.size(); ++i)
        rows << QStringList{QStringLiteral("种子第%1部分").arg(i + 1), s.parts.at(i)};
    rows += hexRows(QStringLiteral("种子"), s.seed);
    rows << QStringList{QStringLiteral("分班时间"), s.runAt.toString(timeFormat)};
    rows += hexRows(QStringLiteral("分班结果摘要"), s.resultDigest);
    rows << QStringList{QStringLiteral("班号和班主任"),
                        QStringLiteral("由种子抽签决定（抽签方法见说明书）")};
    int number = 0;
    for (const PublicChange& c : publicChanges(store)) {
        const QString label = QStringLiteral("改动%1").arg(++number);
        rows << QStringList{label, c.when.toString(timeFormat)} << QStringList{{}, c.what}
             << QStringList{{}, QStringLiteral("理由：") + c.reason};
        if (!c.students.isEmpty())
            rows << QStringList{{}, QStringLiteral("学生：") + c.students};
        if (!c.rowsDigest.isEmpty()) // the late students added, by the digest of their rows
            rows += hexRows(QStringLiteral("新增学生行指纹"), c.rowsDigest);
    }
    rows += signatureRows();
    return sheet;
}

// The table of some classes (see classSheets).
PrintSheet classSheet(Store& store, const QVector<PublicClass>& classes, const QStringList& scores,
                      const QStringList& conditions, int highest)
{
    PrintSheet sheet{QStringLiteral("阳光分班各班情况"),
                     QStringLiteral("条件为各值的人数，成绩为各班平均分"),
                     {QStringLiteral("项目")},
                     {}};
    QStringList students{QStringLiteral("人数")}, boys{QStringLiteral("男")},
        girls{QStringLiteral("女")}, teachers{QStringLiteral("班主任")};
    for (const PublicClass& c : classes) {
        sheet.headers.append(QStringLiteral("%1班").arg(c.cls));
        students.append(QString::number(c.students));
        boys.append(QString::number(c.boys));
        girls.append(QString::number(c.girls));
        teachers.append(c.teacher);
    }
    sheet.rows << students << boys << girls;
    for (const QString& condition : conditions) {
        const QVector<QMap<QString, int>> counts = classValueCounts(store, condition, highest);
        QStringList values;
        for (const QMap<QString, int>& perValue : counts)
            values += perValue.keys();
        values.removeDuplicates();
        std::sort(values.begin(), values.end(), [](const QString& a, const QString& b) {
            const bool yesA = a == u"是", yesB = b == u"是"; // 是 before 否
            return yesA != yesB ? yesA : a < b;
        });
        sheet.rows.append({condition + QStringLiteral("：")}); // the values below it
        for (const QString& value : values) {
            QStringList row{value};
            for (const PublicClass& c : classes)
                row.append(QString::number(counts.at(c.cls - 1).value(value)));
            sheet.rows.append(row);
        }
    }
    const auto averages = classAverages(store, scores, highest);
    for (qsizetype i = 0; i < scores.size(); ++i) {
        QStringList row{scores.at(i) + QStringLiteral("平均分")};
        for (const PublicClass& c : classes)
            row.append(number(averages.at(c.cls - 1).value(i)));
        sheet.rows.append(row);
    }
    sheet.rows.append(teachers);
    return sheet;
}

// Every class in a column of its own, a row for each figure: head count,
// boys, girls, the count of every value of each condition, the averages
// of the scores, the head teacher. Classes of ten or fewer share one
// table; more are shared out evenly among tables of at most ten, so that
// the names of the figures keep their room.
QVector<PrintSheet> classSheets(Store& store, const QStringList& conditionList)
{
    QStringList scores, conditions;
    for (const ColumnInfo& c : store.columns(studentTable())) {
        if (c.type.kind == ColumnType::Single)
            scores.append(c.name);
        else if (conditionList.contains(c.name))
            conditions.append(c.name);
    }
    const QVector<PublicClass> all = publicClasses(store, loadDraw(store));
    const int highest = all.isEmpty() ? 0 : all.last().cls;
    const qsizetype blocks = std::max<qsizetype>(1, (all.size() + 9) / 10);
    QVector<PrintSheet> out;
    for (qsizetype b = 0; b < blocks; ++b) {
        const qsizetype from = all.size() * b / blocks, to = all.size() * (b + 1) / blocks;
        out.append(classSheet(store, all.mid(from, to - from), scores, conditions, highest));
    }
    return out;
}

PrintSheet noticeSheet(Store& store, const PublicState& s)
{
    PrintSheet sheet{QStringLiteral("阳光分班名单封存公告"),
                     QStringLiteral("分班当天核对名单指纹，相同方可分班"),
                     {QStringLiteral("项目"), QStringLiteral("内容")},
                     {}};
    const QVector<QStringList> roster = parseCsv(rosterCsv(store));
    const qsizetype sex = roster.isEmpty() ? -1 : roster.first().indexOf(sexColumn());
    const int all = int(roster.size()) - 1;
    int boys = 0;
    for (qsizetype r = 1; r < roster.size(); ++r)
        boys += roster.at(r).value(sex).trimmed() == u"男" ? 1 : 0;
    sheet.rows += hexRows(QStringLiteral("名单指纹"), s.fingerprint);
    sheet.rows
        << QStringList{QStringLiteral("学生数"),
                       QStringLiteral("%1人（男%2人，女%3人）").arg(all).arg(boys).arg(all - boys)}
        << QStringList{QStringLiteral("封存时间"), s.sealedAt.toString(timeFormat)};
    sheet.rows += planRows(s.planText);
    sheet.rows += signatureRows();
    return sheet;
}

} // namespace

QString groupedByFour(const QString& hex)
{
    QStringList groups;
    for (qsizetype i = 0; i < hex.size(); i += 4)
        groups.append(hex.mid(i, 4));
    return groups.join(u' ');
}

QString PublicSheetPdf(const Context& ctx, QString path)
{
    const QString title = QStringLiteral("阳光分班记录");
    path = publishTarget(ctx, path, title, QStringLiteral(".pdf"));
    QStringList conditions;
    try { // read aside: reading the list sets flags of the session
        Session scratch;
        readConditionList(Context{ctx.folder, scratch, ctx.prompt}, conditions);
    } catch (const OperationError&) {
        conditions.clear(); // no condition list: the classes without their conditions
    }
    QVector<PrintSheet> sheets;
    {
        Store store = OpenStore(ctx);
        const ReadTransaction tr(store);
        const std::optional<PublicState> s = loadPublicState(store);
        if (s && s->ran())
            sheets = QVector<PrintSheet>{recordSheet(store, *s)} + classSheets(store, conditions);
    }
    if (sheets.isEmpty()) {
        ctx.prompt.message(QStringLiteral("还没有公开分班。"), appTitle());
        return {};
    }
    return reportWritten(ctx, path, writeSheetsPdf(path, sheets, title));
}

QString SealNoticePdf(const Context& ctx, QString path)
{
    const QString title = QStringLiteral("阳光分班名单封存公告");
    path = publishTarget(ctx, path, title, QStringLiteral(".pdf"));
    QVector<PrintSheet> sheets;
    {
        Store store = OpenStore(ctx);
        const ReadTransaction tr(store);
        const std::optional<PublicState> s = loadPublicState(store);
        if (s && s->sealed)
            sheets = {noticeSheet(store, *s)};
    }
    if (sheets.isEmpty()) {
        ctx.prompt.message(notSealedMessage(), appTitle());
        return {};
    }
    return reportWritten(ctx, path, writeSheetsPdf(path, sheets, title));
}

} // namespace quorvel
