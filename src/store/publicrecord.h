#pragma once

#include <QString>
#include <optional>

namespace quorvel {

class Store;

// The record of the public division (阳光分班) beside the students, starting
// with the stage of schooling. Its table outlives a division's work tables;
// create keeps the stage.
inline QString publicTable()
{
    return QStringLiteral("gongkai");
}
bool isPublicTable(const QString& table);

// The stage of schooling of the intake. In compulsory education (义务教育)
// classes may not be ranked: no fast and slow classes, no grade levels.
enum class SchoolStage { Compulsory, Senior };
QString stageName(SchoolStage stage); // 义务教育, 普通高中
std::optional<SchoolStage> stageFromName(const QString& name);
// The stored stage; 普通高中 when none was ever chosen.
SchoolStage readStage(Store& store);
void saveStage(Store& store, SchoolStage stage); // in the caller's transaction
// "义务教育阶段不得分设重点班和非重点班（义务教育法第二十二条）。"
QString compulsoryRankingMessage();

} // namespace quorvel
