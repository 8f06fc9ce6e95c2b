#include "ruleimport.h"

#include "ruleentry.h"

#include "core/context.h"
#include "sources/mapping.h"
#include "sources/sheetsource.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"

#include <QMap>

namespace quorvel {

namespace {

// The columns of the header row: 编号, 同班组, 分开组, 固定班级 (−1 absent).
struct RuleColumns {
    int key = -1, together = -1, apart = -1, fixed = -1;
    bool complete() const { return key >= 0 && (together >= 0 || apart >= 0 || fixed >= 0); }
};

RuleColumns columnsOf(const SheetRow& row)
{
    RuleColumns c;
    for (int i = 0; i < row.cells.size(); ++i) {
        const QString h = normalizedHeader(row.cells.at(i).toString());
        if (c.key < 0 && !columnNamed(row.cells.at(i).toString(), {keyColumn()}, {}).isEmpty())
            c.key = i;
        else if (c.together < 0 && h == togetherGroupColumn())
            c.together = i;
        else if (c.apart < 0 && h == apartGroupColumn())
            c.apart = i;
        else if (c.fixed < 0 && h == fixedClassColumn())
            c.fixed = i;
    }
    return c;
}

// A cell as text: whole numbers without a decimal point.
QString cellText(const SheetRow& row, int column)
{
    if (column < 0 || column >= row.cells.size() || row.cells.at(column).isNull())
        return {};
    const QVariant& v = row.cells.at(column);
    if (v.typeId() == QMetaType::Double)
        return shortestNumber(v.toDouble());
    return v.toString().trimmed();
}

// A request with the spreadsheet row it came from (the first of a group).
struct SourcedRequest {
    RuleRequest request;
    int row = 0;
    QString label;
};

void addToGroup(QVector<SourcedRequest>& list, QMap<QString, int>& index, RuleKind kind,
                const QString& column, const QString& value, const QString& key, int row)
{
    if (value.isEmpty())
        return;
    if (!index.contains(value)) {
        index.insert(value, int(list.size()));
        list.append({{kind, {}, {}, {}}, row, QStringLiteral("%1“%2”").arg(column, value)});
    }
    list[index.value(value)].request.members.append(key);
}

QVector<SourcedRequest> readRequests(const QList<SheetRow>& rows, int header, const RuleColumns& c)
{
    QVector<SourcedRequest> together, apart, fixed;
    QMap<QString, int> togetherIndex, apartIndex;
    for (int r = header + 1; r < rows.size(); ++r) {
        const SheetRow& row = rows.at(r);
        const QString key = cellText(row, c.key);
        if (key.isEmpty())
            continue;
        addToGroup(together, togetherIndex, RuleKind::Together, togetherGroupColumn(),
                   cellText(row, c.together), key, row.number);
        addToGroup(apart, apartIndex, RuleKind::Apart, apartGroupColumn(), cellText(row, c.apart),
                   key, row.number);
        if (const QString cls = cellText(row, c.fixed); !cls.isEmpty())
            fixed.append({{RuleKind::Fixed, {key}, cls, {}}, row.number, fixedClassColumn()});
    }
    return together + apart + fixed;
}

QVector<SourcedRequest> readWorkbook(const QString& path, const QString& sheet)
{
    const std::unique_ptr<SheetSource> source = openSheetSource(path);
    const int index = sheet.isEmpty() ? 0 : source->findSheet(sheet);
    if (index < 0 || source->sheetNames().isEmpty())
        throw OperationError(QStringLiteral("工作簿中没有工作表“%1”。").arg(sheet));
    const QList<SheetRow> rows = source->readSheet(index);
    for (int r = 0; r < qMin(int(rows.size()), kHeaderSearchRows); ++r)
        if (const RuleColumns c = columnsOf(rows.at(r)); c.complete())
            return readRequests(rows, r, c);
    throw OperationError(QStringLiteral("没有找到表头：需要“编号”一列，以及“同班组”、“分开组”、"
                                        "“固定班级”中的至少一列。"));
}

} // namespace

std::optional<int> ImportRules(const Context& ctx, const QString& path, const QString& sheet)
{
    const QVector<SourcedRequest> requests = readWorkbook(path, sheet);
    Store store = OpenStore(ctx);
    Transaction tr(store);
    RuleAdder adder(store);
    ctx.readingDone();
    for (const SourcedRequest& r : requests) {
        if (const QString why = adder.refusal(r.request); !why.isEmpty()) {
            tr.rollback();
            ctx.prompt.message(why, noticeTitle());
            ctx.prompt.message(QStringLiteral("第%1行（%2）的规则不能导入，没有导入任何分班规则。")
                                   .arg(r.row)
                                   .arg(r.label),
                               noticeTitle());
            return std::nullopt;
        }
        adder.add(r.request);
    }
    tr.commit();
    ctx.prompt.message(QStringLiteral("已导入%1条分班规则。").arg(requests.size()), noticeTitle());
    return int(requests.size());
}

} // namespace quorvel
