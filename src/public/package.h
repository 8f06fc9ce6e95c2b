#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;

// The package of a public division: one zip holding 名单.csv, 规则.csv,
// 方案.txt (the sealed files), 种子.txt (the parts, one a line), 结果.csv
// (编号,班级 of every student now) and 改动.csv (时间,改动,理由,学生,新增行,
// 行指纹: every lifted seal and every change of classes after the run, with
// the students as 编号:FROM>TO, and the rows of the late students a change
// added with their SHA-256), and 摘要.txt (名单指纹, 种子 and 分班结果摘要 of the run,
// "label<TAB>value" lines), which the check compares its own with.
QStringList packageMembers();

// Writes the package of the public run to path (empty: 阳光分班.zip in the
// application folder); returns where it went. nullopt, with the reason
// shown, when there was no public run or the file cannot be written.
std::optional<QString> WritePackage(const Context& ctx, const QString& path);

// The package's check: needs no application folder and changes nothing.
struct PackageCheck {
    QString fingerprint, seed, resultDigest; // empty when not reached
    QStringList differences;                 // one line each
    QString failure;                         // empty: passed; else the first failing step
    bool passed() const { return failure.isEmpty(); }
};
// The fingerprint and the seed recomputed, the plan run again on the
// package's roster and rules in a temporary folder with that seed, the
// recorded changes applied, every student's class compared with 结果.csv.
PackageCheck VerifyPackage(const QString& zipPath);

// The rows of an RFC 4180 text (quoted fields, doubled quotes, LF or CR LF).
QVector<QStringList> parseCsv(const QByteArray& text);

// The members of a zip by name; nullopt when it cannot be read.
std::optional<QMap<QString, QByteArray>> readZip(const QString& path);
// Writes the members into a new zip at path; false when it cannot.
bool writeZip(const QString& path, const QVector<std::pair<QString, QByteArray>>& members);

} // namespace quorvel
