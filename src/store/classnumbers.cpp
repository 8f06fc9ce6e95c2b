#include "classnumbers.h"

#include "fieldlists.h"
#include "store.h"

namespace quorvel {

namespace {

QString classNumbersSql(const QString& text)
{
    return text.arg(quoteIdent(classColumn()), quoteIdent(studentTable()));
}

} // namespace

bool hasUnplacedStudent(Store& store)
{
    return !store
                .column(classNumbersSql(
                    QStringLiteral("SELECT 1 FROM %2 WHERE %1 IS NULL OR %1<1 LIMIT 1")))
                .isEmpty();
}

qint64 highestClass(Store& store)
{
    return store.column(classNumbersSql(QStringLiteral("SELECT max(%1) FROM %2")))
        .value(0)
        .toLongLong();
}

QVector<std::optional<qint64>> classValuesHighestFirst(Store& store)
{
    QVector<std::optional<qint64>> out;
    for (const QVariant& v : store.column(
             classNumbersSql(QStringLiteral("SELECT DISTINCT %1 FROM %2 ORDER BY %1 DESC"))))
        out.append(v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong()));
    return out;
}

QVector<int> placedClassNumbers(Store& store)
{
    QVector<int> out;
    for (const QVariant& v : store.column(
             classNumbersSql(QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1>0 ORDER BY %1"))))
        out.append(v.toInt());
    return out;
}

} // namespace quorvel
