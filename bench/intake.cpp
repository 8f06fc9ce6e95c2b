// The intake the division and adjustment benchmarks work on.
#include "bench.h"

#include "core/context.h"
#include "excel/rebuild.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/schema.h"
#include "store/store.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

namespace quorvel::bench {

namespace {

// A score in steps of 0.5, bell-shaped around 72.
double score(QRandomGenerator& rng)
{
    // One draw after the other: draws within one expression would come in
    // the order each compiler picks.
    double sum = 0;
    for (int i = 0; i < 3; ++i)
        sum += rng.bounded(40.0);
    return std::min(100.0, std::round((12 + sum * 0.8) * 2) / 2);
}

QString yesNo(QRandomGenerator& rng, int percentYes)
{
    return int(rng.bounded(100)) < percentYes ? QStringLiteral("是") : QStringLiteral("否");
}

} // namespace

void fillStudents(const QString& folder, int count, const QVector<QPair<QString, int>>& yesNoShares)
{
    QRandomGenerator rng(2024);
    Store store(folder + u'/' + Store::fileName());
    Transaction tr(store);
    RowSet rs = RowSet::open(store, studentTable(), QStringLiteral("0"));
    for (int i = 0; i < count; ++i) {
        const double s[3] = {score(rng), score(rng), score(rng)};
        rs.addNew();
        rs.setValue(keyColumn(), QStringLiteral("2024%1").arg(i, 4, 10, QChar(u'0')));
        rs.setValue(QStringLiteral("姓名"), QStringLiteral("学生%1").arg(i));
        rs.setValue(sexColumn(), rng.bounded(2) ? QStringLiteral("男") : QStringLiteral("女"));
        rs.setValue(classColumn(), 0);
        rs.setValue(QStringLiteral("原学校"), QStringLiteral("第%1中学").arg(rng.bounded(12) + 1));
        for (const auto& [column, percent] : yesNoShares)
            rs.setValue(column, yesNo(rng, percent));
        rs.setValue(QStringLiteral("语文"), s[0]);
        rs.setValue(QStringLiteral("数学"), s[1]);
        rs.setValue(QStringLiteral("英语"), s[2]);
        rs.setValue(totalColumn(), s[0] + s[1] + s[2]);
        if (!rs.update())
            out() << "student refused: " << rs.lastRefusal() << Qt::endl;
    }
    tr.commit();
}

bool makeIntakeStore(const Context& ctx, int count)
{
    CreateOptions o;
    o.school = o.cadre = o.custom1 = true;
    o.custom1Name = QStringLiteral("是否住宿");
    o.subjects[0] = o.subjects[1] = o.subjects[2] = true;
    if (!CreateDatabase(ctx, o))
        return false;
    fillStudents(ctx.folder, count,
                 {{QStringLiteral("是否班干部"), 15}, {QStringLiteral("是否住宿"), 50}});
    return true;
}

} // namespace quorvel::bench
