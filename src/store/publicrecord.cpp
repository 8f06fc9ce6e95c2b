#include "publicrecord.h"

#include "store.h"

#include <QHash>

namespace quorvel {

namespace {

void createTables(Store& store)
{
    store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (k TEXT PRIMARY KEY, v TEXT)")
                   .arg(quoteIdent(publicTable())));
}

QHash<QString, QString> readValues(Store& store)
{
    QHash<QString, QString> out;
    if (!store.tableExists(publicTable()))
        return out;
    const QVariantList keys =
        store.column(QStringLiteral("SELECT k FROM %1 ORDER BY k").arg(quoteIdent(publicTable())));
    const QVariantList values =
        store.column(QStringLiteral("SELECT v FROM %1 ORDER BY k").arg(quoteIdent(publicTable())));
    for (qsizetype i = 0; i < keys.size(); ++i)
        out.insert(keys.at(i).toString(), values.value(i).toString());
    return out;
}

void writeValue(Store& store, const QString& key, const QString& value)
{
    createTables(store);
    store.exec(QStringLiteral("INSERT OR REPLACE INTO %1 (k, v) VALUES (?, ?)")
                   .arg(quoteIdent(publicTable())),
               {key, value});
}

} // namespace

bool isPublicTable(const QString& table)
{
    return table.compare(publicTable(), Qt::CaseInsensitive) == 0;
}

QString stageName(SchoolStage stage)
{
    return stage == SchoolStage::Compulsory ? QStringLiteral("义务教育")
                                            : QStringLiteral("普通高中");
}

std::optional<SchoolStage> stageFromName(const QString& name)
{
    for (SchoolStage s : {SchoolStage::Compulsory, SchoolStage::Senior})
        if (stageName(s) == name)
            return s;
    return std::nullopt;
}

SchoolStage readStage(Store& store)
{
    return stageFromName(readValues(store).value(QStringLiteral("stage")))
        .value_or(SchoolStage::Senior);
}

void saveStage(Store& store, SchoolStage stage)
{
    writeValue(store, QStringLiteral("stage"), stageName(stage));
}

QString compulsoryRankingMessage()
{
    return QStringLiteral("义务教育阶段不得分设重点班和非重点班（义务教育法第二十二条）。");
}

} // namespace quorvel
