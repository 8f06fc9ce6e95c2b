// The road of one intake at scale, every step through quorvel-cli (run
// in-process), for N students in 50 classes with 原学校, 品质等级, 是否班干部,
// 是否住宿, 语文, 数学 and 英语: create, sample, import, divide custom with
// its adjustment, adjust --precise, stats, roster (the whole road), then
// adjust, adjust --precise --subjects, the undo of a division, the import
// of the students as an .xlsx and the import of placement rules.
//
// Each figure is printed beside its target, with the CPU time of the step
// (on a shared machine the wall clock waits for the other programs). The targets are those for
// 16,000 students (the whole road also 2.5 s for 20,000); for another size
// the target grows in proportion to the students, so that a step whose cost
// grows faster than the intake shows it. A step over 1.5 times its target
// is marked SLOW; CI does not fail on it (the machine is shared).
// Intakes above 16,383 students, more than a template holds, are imported
// from a CSV file instead of sample and template.
//
// QUORVEL_SCALE_SIZES (default "4000,16000,20000,32000") and
// QUORVEL_SCALE_RUNS (default 3; the median is printed) choose the road;
// QUORVEL_SCALE_SIZES=1000 QUORVEL_SCALE_RUNS=1 is the few-second run of CI.
#include "bench.h"

#include "cli/cli.h"
#include "excel/sample.h"
#include "store/store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <ctime>
#include <map>

using namespace quorvel;

namespace {

const QStringList& fields()
{
    static const QStringList f{"原学校", "品质等级", "是否班干部", "是否住宿",
                               "语文",   "数学",     "英语"};
    return f;
}

constexpr int kClasses = 50;
constexpr double kSlow = 1.5;

// The targets at 16,000 students, in ms.
struct Target {
    const char* step;
    double ms;
};
const Target kTargets[] = {
    {"create", 0},
    {"sample", 0},
    {"import (template or CSV)", 250},
    {"divide custom with its adjustment", 500},
    {"adjust --precise", 400},
    {"stats", 50},
    {"roster", 0},
    {"whole road create to roster", 2000},
    {"adjust", 0},
    {"adjust --precise --subjects", 2000},
    {"undo of a division", 100},
    {"import of the .xlsx", 500},
    {"rule import (5,000 rules at 16,000)", 2000},
};

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

// The peak resident memory since the last reset, in MB (Linux; 0 elsewhere).
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}
double peakMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

struct Measured {
    QVector<double> ms, cpuMs; // wall clock and the process's CPU time
    double peak = 0;
};

double cpuNow()
{
    return double(std::clock()) * 1000 / CLOCKS_PER_SEC;
}

class Road {
public:
    Road(const QString& folder, int students) : m_folder(folder), m_students(students) {}
    std::map<QString, Measured> steps;
    QString subjectsLine; // the spreads of the subject mode against its target

    // Runs one step; false (and what it said) when it failed.
    bool step(const QString& name, const QStringList& args, QString* said = nullptr)
    {
        QString text;
        QTextStream out(&text), err(&text);
        resetPeak();
        QElapsedTimer t;
        t.start();
        const double cpu = cpuNow();
        const int status = runCli(QStringList{"--dir", m_folder, "--yes"} + args, out, err);
        const double ms = t.nsecsElapsed() / 1e6;
        steps[name].cpuMs.append(cpuNow() - cpu);
        out.flush();
        err.flush();
        Measured& m = steps[name];
        m.ms.append(ms);
        m.peak = std::max(m.peak, peakMb());
        if (said)
            *said = text;
        if (status != 0)
            bench::out() << "benchScale: " << args.join(u' ') << " failed (" << status
                         << "): " << text.left(2000) << Qt::endl;
        return status == 0;
    }
    void add(const QString& name, double ms, double cpuMs)
    {
        steps[name].ms.append(ms);
        steps[name].cpuMs.append(cpuMs);
    }

    bool run();

private:
    QString m_folder;
    int m_students;
    bool writeCsv(const QString& path) const;
    bool writeRules(const QString& path) const;
    void checkSubjects(const QString& said);
};

// The students of sample seed 1, more samples counted on beyond one's size.
bool Road::writeCsv(const QString& path) const
{
    QStringList columns{"编号", "姓名", "性别", "班级"};
    columns += fields();
    columns.append(QStringLiteral("总分"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write((columns.join(u',') + u'\n').toUtf8());
    int written = 0;
    for (quint32 seed = 1; written < m_students; ++seed) {
        const int n = std::min(m_students - written, kMaxSampleStudents);
        const SheetRows rows = makeSampleIntake(columns, {n, seed});
        for (qsizetype r = 1; r < rows.size(); ++r) {
            QStringList cells;
            for (const QVariant& v : rows.at(r))
                cells.append(v.typeId() == QMetaType::Double ? shortestNumber(v.toDouble())
                                                             : v.toString());
            cells[0] = QString::number(300000001 + written);
            f.write((cells.join(u',') + u'\n').toUtf8());
            ++written;
        }
    }
    return true;
}

// Rules in proportion to 5,000 on 16,000 students, each on students of its
// own: two fifths 同班 pairs, two fifths 分开 pairs, one fifth 固定.
bool Road::writeRules(const QString& path) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    Store store(m_folder + u'/' + Store::fileName());
    const QVariantList keys = store.column(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
            .arg(quoteIdent(QStringLiteral("编号")), quoteIdent(QStringLiteral("studscore"))));
    const int rules = int(5000LL * m_students / 16000);
    f.write("编号,同班组,分开组,固定班级\n");
    int k = 0;
    for (int r = 0; r < rules && k + 2 <= keys.size(); ++r) {
        const int kind = r % 5; // 0, 1 同班; 2, 3 分开; 4 固定
        if (kind < 4) {
            const QString group = QString::number(r);
            for (int i = 0; i < 2; ++i)
                f.write((kind < 2 ? QStringLiteral("%1,%2,,\n") : QStringLiteral("%1,,%2,\n"))
                            .arg(keys.at(k++).toString(), group)
                            .toUtf8());
        } else {
            f.write(QStringLiteral("%1,,,%2\n")
                        .arg(keys.at(k++).toString())
                        .arg(r % kClasses + 1)
                        .toUtf8());
        }
    }
    return true;
}

// The subject mode's report: every subject's spread ≤ 0.01 and 总分 at most
// 0.005 above the floor.
void Road::checkSubjects(const QString& said)
{
    const QStringList lines = said.split(u'\n');
    QStringList header, spreads;
    double floor = -1;
    for (const QString& line : lines) {
        if (line.startsWith(QStringLiteral("班级\t")) && header.isEmpty())
            header = line.split(u'\t');
        if (line.startsWith(QStringLiteral("极差\t")))
            spreads = line.split(u'\t');
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("总分平均分最小可能差值：([0-9.]+)")).match(line);
        if (m.hasMatch())
            floor = m.captured(1).toDouble();
    }
    double total = -1, subjects = 0;
    for (int c = 1; c < header.size() && c < spreads.size(); ++c) {
        const double v = spreads.at(c).section(u' ', 0, 0).toDouble();
        if (header.at(c) == u"总分平均分")
            total = v;
        else if (header.at(c).endsWith(QStringLiteral("平均分")))
            subjects = std::max(subjects, v);
    }
    const bool met =
        total >= 0 && floor >= 0 && subjects <= 0.01 + 1e-9 && total <= floor + 0.005 + 1e-9;
    subjectsLine = QStringLiteral("largest subject spread %1 (target 0.010), 总分 spread %2 "
                                  "with the floor %3 (target at most 0.005 above it)%4")
                       .arg(subjects, 0, 'f', 3)
                       .arg(total, 0, 'f', 3)
                       .arg(floor, 0, 'f', 3)
                       .arg(met ? QString() : QStringLiteral("  NOT MET"));
}

bool Road::run()
{
    const QString csv = m_folder + QStringLiteral("/intake.csv");
    const bool template_ = m_students <= kMaxSampleStudents;
    if (!template_ && !writeCsv(csv))
        return false;
    QElapsedTimer whole;
    whole.start();
    const double cpu = cpuNow();
    const QString n = QString::number(m_students);
    const QStringList conditions{"--conditions", "原学校,品质等级,是否班干部,是否住宿"};
    if (!step("create", QStringList{"create"} + fields()))
        return false;
    if (template_) {
        if (!step("sample", {"sample", "--students", n}) ||
            !step("import (template or CSV)", {"import"}))
            return false;
    } else if (!step("import (template or CSV)", {"import", csv})) {
        return false;
    }
    if (!step("divide custom with its adjustment",
              QStringList{"divide", "custom", "--classes", QString::number(kClasses)} +
                  conditions) ||
        !step("adjust --precise", {"adjust", "--precise"}) || !step("stats", {"stats"}) ||
        !step("roster", {"roster", "--out", "roster.xlsx"}))
        return false;
    add("whole road create to roster", whole.nsecsElapsed() / 1e6, cpuNow() - cpu);
    QString said;
    if (!step("adjust", {"adjust"}) ||
        !step("adjust --precise --subjects", {"adjust", "--precise", "--subjects"}, &said))
        return false;
    checkSubjects(said);
    if (bench::runQuietly({"--dir", m_folder, "--yes", "divide", "custom", "--classes",
                           QString::number(kClasses), "--no-adjust"}) != 0 ||
        !step("undo of a division", {"undo"}))
        return false;
    if (bench::runQuietly({"--dir", m_folder, "export", "students.xlsx"}) != 0 ||
        !step("import of the .xlsx", {"import", "students.xlsx"}))
        return false;
    const QString rules = m_folder + QStringLiteral("/rules.csv");
    return writeRules(rules) &&
           step("rule import (5,000 rules at 16,000)", {"rule", "import", rules});
}

} // namespace

QUORVEL_BENCH(benchScale)
{
    QList<int> sizes;
    for (const QString& s :
         qEnvironmentVariable("QUORVEL_SCALE_SIZES", QStringLiteral("4000,16000,20000,32000"))
             .split(u',', Qt::SkipEmptyParts))
        sizes.append(s.toInt());
    const int runs = std::max(1, qEnvironmentVariableIntValue("QUORVEL_SCALE_RUNS") > 0
                                     ? qEnvironmentVariableIntValue("QUORVEL_SCALE_RUNS")
                                     : 3);
    std::map<QString, std::map<int, double>> perSize;
    for (const int students : sizes) {
        std::map<QString, Measured> steps;
        QString subjects;
        for (int r = 0; r < runs; ++r) {
            QTemporaryDir dir;
            Road road(dir.path(), students);
            if (!road.run())
                return;
            for (const auto& [name, m] : road.steps) {
                steps[name].ms += m.ms;
                steps[name].cpuMs += m.cpuMs;
                steps[name].peak = std::max(steps[name].peak, m.peak);
            }
            subjects = road.subjectsLine;
        }
        const double scale = students / 16000.0;
        for (const Target& t : kTargets) {
            const QString name = QString::fromUtf8(t.step);
            if (!steps.count(name))
                continue;
            const Measured& m = steps.at(name);
            const double ms = median(m.ms);
            perSize[name][students] = ms;
            QString line = QStringLiteral("benchScale: %1/%2 %3: %4 ms (CPU %5 ms)")
                               .arg(students)
                               .arg(kClasses)
                               .arg(name)
                               .arg(ms, 0, 'f', 1)
                               .arg(median(m.cpuMs), 0, 'f', 1);
            if (m.peak > 0)
                line += QStringLiteral(", peak %1 MB").arg(m.peak, 0, 'f', 0);
            if (t.ms > 0)
                line += QStringLiteral(" (target %1 ms%2)")
                            .arg(t.ms * scale, 0, 'f', 0)
                            .arg(ms > kSlow * t.ms * scale ? QStringLiteral(", SLOW") : QString());
            if (m.peak > 200)
                line += QStringLiteral(" (memory over 200 MB)");
            bench::out() << line << Qt::endl;
        }
        bench::out() << "benchScale: " << students << "/" << kClasses
                     << " subject mode: " << subjects << Qt::endl;
    }
    // The growth: ms per 1,000 students at every size.
    for (const auto& [name, bySize] : perSize) {
        QStringList cells;
        for (const auto& [students, ms] : bySize)
            cells.append(
                QStringLiteral("%1: %2").arg(students).arg(ms * 1000 / students, 0, 'f', 1));
        bench::out() << "benchScale: ms per 1,000 students, " << name << ": "
                     << cells.join(QStringLiteral(", ")) << Qt::endl;
    }
}
