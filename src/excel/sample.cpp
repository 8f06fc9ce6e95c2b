#include "sample.h"

#include "core/context.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/schema.h"
#include "store/store.h"
#include "template.h"

#include <QSet>
#include <cmath>
#include <random>

namespace quorvel {

namespace {

// Random numbers from the standard engine, whose output the standard fixes,
// through transformations of our own, so a seed gives the same intake with
// every standard library.
class Dice {
public:
    explicit Dice(quint32 seed) : m_engine(seed) {}

    // An integer in 0 .. n-1, without the bias of a plain modulo.
    quint32 below(quint32 n)
    {
        const quint64 range = quint64(1) << 32;
        const quint64 limit = range - range % n;
        quint64 x;
        do
            x = quint64(m_engine()) & 0xffffffffu;
        while (x >= limit);
        return quint32(x % n);
    }
    // True with probability percent / 100.
    bool chance(quint32 percent) { return below(100) < percent; }
    // About normally distributed with mean 0 and deviation 1: the sum of
    // twelve uniform numbers, less six.
    double normal()
    {
        double sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += double(quint64(m_engine()) & 0xffffffffu) / 4294967296.0;
        return sum - 6.0;
    }
    template <typename T> const T& pick(const QList<T>& list)
    {
        return list.at(below(quint32(list.size())));
    }

private:
    std::mt19937 m_engine;
};

const QStringList& surnames()
{
    static const QStringList list = QStringLiteral("王 李 张 刘 陈 杨 黄 赵 吴 周 徐 孙 马 朱 胡 "
                                                   "郭 何 高 林 罗 郑 梁 谢 宋 唐 许 韩 冯 邓 曹 "
                                                   "彭 曾 肖 田 董 袁 潘 于 蒋 蔡 余 杜 叶 程 苏 "
                                                   "魏 吕 丁 任 沈 姚 卢 姜 崔 钟 谭 陆 汪 范 金 "
                                                   "石 廖 贾 夏 韦 付 方 白 邹 孟 熊 秦 邱 江 尹 "
                                                   "薛 闫 段 雷 侯 龙 史 陶 黎 贺 顾 毛 郝 龚 邵 "
                                                   "万 钱 严 覃 武 戴 莫 孔 向 汤 欧阳 司马 诸葛")
                                        .split(u' ');
    return list;
}

const QStringList& givenChars(bool boy)
{
    static const QStringList boys =
        QStringLiteral("伟 强 磊 军 勇 杰 涛 明 超 刚 平 辉 鹏 华 飞 鑫 波 斌 宇 浩 凯 健 俊 帆 帅 "
                       "旭 宁 龙 林 洋 "
                       "阳 晨 博 文 豪 峰 轩 然 哲 睿 嘉 子 一 天 志 泽 航 铭 昊 锦")
            .split(u' ');
    static const QStringList girls =
        QStringLiteral("芳 娜 敏 静 丽 艳 娟 霞 燕 玲 婷 雪 琳 颖 倩 欣 悦 怡 佳 梦 瑶 雨 萱 涵 思 "
                       "诗 彤 璐 晶 月 "
                       "可 馨 妍 紫 一 子 若 语 安 晓 慧 露 嘉 琪 蕾 菲 茜 蓉 媛 薇")
            .split(u' ');
    return boy ? boys : girls;
}

const QStringList& schools()
{
    static const QStringList list =
        QStringLiteral(
            "城关第一小学 城关第二小学 实验小学 东风路小学 育才小学 新华小学 红旗小学 向阳小学 "
            "光明小学 希望小学")
            .split(u' ');
    return list;
}

QString name(Dice& dice, bool boy)
{
    // Two draws in one expression come in an order each compiler picks:
    // the given name is drawn first, then the surname.
    const QString given = dice.pick(givenChars(boy));
    QString n = dice.pick(surnames()) + given;
    if (dice.chance(65))
        n += dice.pick(givenChars(boy));
    return n;
}

// Per cent of the students with 是 in a yes/no column.
quint32 yesShare(const QString& column)
{
    if (column == u"是否农民工子女")
        return 25;
    if (column == u"是否班干部")
        return 15;
    return 30;
}

// A score from 0 to 100 in steps of 0.5, around 72 and following the
// student's general ability.
double score(Dice& dice, double ability)
{
    const double raw = 72.0 + 14.0 * (0.7 * ability + 0.714 * dice.normal());
    const double clipped = qBound(0.0, raw, 100.0);
    return std::floor(clipped * 2.0 + 0.5) / 2.0;
}

QString grade(Dice& dice)
{
    const quint32 g = dice.below(20);
    return g < 6 ? QStringLiteral("好") : g < 17 ? QStringLiteral("中") : QStringLiteral("差");
}

// Sexes first, so that the names can follow them; both occur from two on.
QVector<bool> sexes(Dice& dice, int students)
{
    QVector<bool> boys(students);
    for (int i = 0; i < students; ++i)
        boys[i] = dice.below(2) == 0;
    if (students >= 2 && (boys.count(true) == students || boys.count(false) == students))
        boys[students - 1] = !boys[students - 1];
    return boys;
}

} // namespace

SheetRows makeSampleIntake(const QStringList& columns, const SampleOptions& options)
{
    const int students = qBound(0, options.students, kMaxSampleStudents);
    Dice dice(options.seed);
    const QVector<bool> boys = sexes(dice, students);
    double firstKey = 2026001;
    for (int n = students; n >= 1000; n /= 10)
        firstKey = firstKey * 10 - 9;

    SheetRows rows;
    rows.reserve(students + 1);
    QVariantList header;
    for (const QString& c : columns)
        header.append(c);
    rows.append(header);
    QSet<QString> names;
    for (int i = 0; i < students; ++i) {
        QString student;
        do
            student = name(dice, boys[i]);
        while (names.contains(student));
        names.insert(student);
        const double ability = dice.normal();
        double total = 0;
        QVariantList row;
        row.reserve(columns.size());
        for (const QString& c : columns) {
            QVariant v;
            if (c == keyColumn()) {
                v = firstKey + i;
            } else if (c == u"姓名") {
                v = student;
            } else if (c == sexColumn()) {
                v = boys[i] ? QStringLiteral("男") : QStringLiteral("女");
            } else if (c == u"原学校") {
                v = dice.pick(schools());
            } else if (c == u"品质等级") {
                v = grade(dice);
            } else if (c.startsWith(u'是')) {
                v = dice.chance(yesShare(c)) ? QStringLiteral("是") : QStringLiteral("否");
            } else if (subjectNames().contains(c)) {
                const double s = score(dice, ability);
                total += s;
                v = s;
            }
            row.append(v);
        }
        // 总分 last, once the subjects are known; the import computes its own.
        if (const qsizetype t = columns.indexOf(totalColumn()); t >= 0)
            row[t] = total;
        rows.append(row);
    }
    return rows;
}

void WriteSampleIntake(const Context& ctx, const SampleOptions& options)
{
    if (options.students < 1 || options.students > kMaxSampleStudents)
        throw OperationError(
            QStringLiteral("示例学生人数必须在1到%1之间。").arg(kMaxSampleStudents));
    QStringList columns;
    {
        Store store = OpenStore(ctx);
        for (const ColumnInfo& c : store.columns(studentTable()))
            columns.append(c.name);
    }
    if (columns.isEmpty())
        throw OperationError(QStringLiteral("数据库中没有学生表，请先单击“第一步创建数据库”。"));
    QString error;
    if (!writeBiff5Workbook(ctx.file(templateFile()), QStringLiteral("sheet1"),
                            makeSampleIntake(columns, options), &error))
        throw OperationError(
            error.isEmpty() ? QStringLiteral("无法写入Excel模板%1。").arg(templateFile()) : error);
}

} // namespace quorvel
