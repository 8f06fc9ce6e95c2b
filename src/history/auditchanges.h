#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

namespace quorvel {

class Store;

// One change of the classes after a division: an adjustment or a transfer,
// when it was made and the students it moved (编号 → class).
struct ClassChange {
    QDateTime when;
    QString what;         // 自动调整, 手动调整, 精确调整, 调班 …
    QStringList students; // "编号 from→to"
};

// The changes of the classes made after the moment since, oldest first.
QVector<ClassChange> ClassChangesSince(Store& store, const QDateTime& since);

} // namespace quorvel
