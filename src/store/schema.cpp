#include "schema.h"

#include "context.h"
#include "errors.h"
#include "excel/template.h"
#include "fieldlists.h"
#include "store.h"
#include "textfile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quorvel {

const QStringList& subjectNames()
{
    static const QStringList names = {
        QStringLiteral("语文"), QStringLiteral("数学"), QStringLiteral("英语"), QStringLiteral("政治"),
        QStringLiteral("历史"), QStringLiteral("地理"), QStringLiteral("物理"), QStringLiteral("化学"),
        QStringLiteral("生物"), QStringLiteral("综文"), QStringLiteral("综理"), QStringLiteral("自然"),
        QStringLiteral("思品")};
    return names;
}

QStringList CreateOptions::conditionFields() const
{
    QStringList out;
    if (school)
        out.append(QStringLiteral("原学校"));
    if (grade)
        out.append(QStringLiteral("品质等级"));
    if (migrant)
        out.append(QStringLiteral("是否农民工子女"));
    if (cadre)
        out.append(QStringLiteral("是否班干部"));
    if (custom1)
        out.append(custom1Name);
    if (custom2)
        out.append(custom2Name);
    return out;
}

QStringList CreateOptions::scoreFields() const
{
    QStringList out;
    for (int i = 0; i < int(subjects.size()); ++i)
        if (subjects[i])
            out.append(subjectNames().at(i));
    out.append(totalColumn());
    return out;
}

int CreateOptions::fieldSetCode() const
{
    int code = school ? 1 : 0;
    if (grade || migrant || custom1 || custom2)
        code = 2;
    if (school && custom2)
        code = 3;
    return code;
}

bool CheckCustomName(Prompt& prompt, const QString& name)
{
    if (name.startsWith(u'是'))
        return true;
    prompt.message(QStringLiteral("自定义名称必须为：是否XXXX 。 如：是否住校、是否公费等样式都可以。"));
    return false;
}

namespace {

// The column definitions in the order the table is built: the four fixed
// columns first, then every optional column, then 总分.
void buildTable(Store& store, const CreateOptions& o)
{
    const QString table = quoteIdent(studentTable());
    store.exec(QStringLiteral("CREATE TABLE %1 (\"编号\" TEXT(15) CONSTRAINT \"编号\" PRIMARY KEY NOT NULL,"
                              "\"姓名\" TEXT(30),\"性别\" TEXT(2),\"班级\" INTEGER)")
                   .arg(table));
    const auto addColumn = [&](const QString& name, const QString& type) {
        store.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table, quoteIdent(name), type));
    };
    const QStringList conditions = o.conditionFields();
    for (const QString& name : conditions)
        addColumn(name, name == u"原学校" ? QStringLiteral("TEXT(10)") : QStringLiteral("TEXT(2)"));
    for (const QString& name : o.scoreFields())
        addColumn(name, QStringLiteral("SINGLE"));
}

// Builds the new database beside the old one; the caller moves it into place.
void buildDatabaseFile(const QString& path, const CreateOptions& o)
{
    QFile::remove(path);
    try {
        Store store = Store::create(path);
        Transaction tr(store);
        buildTable(store, o);
        tr.commit();
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

void replaceFile(const QString& from, const QString& to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(from);
        throw OperationError(QStringLiteral("无法替换数据库文件%1：%2").arg(QFileInfo(to).fileName(), reason));
    }
}

bool refuseCustomNames(const Context& ctx, const CreateOptions& o)
{
    if ((o.custom1 && o.custom1Name.isEmpty()) || (o.custom2 && o.custom2Name.isEmpty())) {
        ctx.prompt.message(QStringLiteral("请输入自定义的字段"), noticeTitle());
        return true;
    }
    // A comma would split the name in two when the field list is read back.
    if ((o.custom1 && o.custom1Name.contains(u',')) || (o.custom2 && o.custom2Name.contains(u','))) {
        ctx.prompt.message(QStringLiteral("自定义字段名中不能含有英文逗号“,”，请修改后再试。"), noticeTitle());
        return true;
    }
    return false;
}

} // namespace

bool CreateDatabase(const Context& ctx, const CreateOptions& options)
{
    if (!ctx.prompt.question(QStringLiteral("确实要重建数据库吗？原有数据将全部被删除！且不可恢复！"),
                             warningTitle(), PromptIcon::Exclamation))
        return false;
    if (refuseCustomNames(ctx, options))
        return false;

    const QString target = ctx.file(Store::fileName());
    const QString fresh = target + QStringLiteral(".new");
    try {
        buildDatabaseFile(fresh, options);
    } catch (const StoreError& e) {
        ctx.prompt.message(QStringLiteral("创建数据库失败，原有数据库和字段文件未改动：") + e.text());
        return false;
    }
    replaceFile(fresh, target);
    writeGbkLines(ctx.file(conditionListFile()), options.conditionFields());
    writeGbkLines(ctx.file(scoreListFile()), options.scoreFields());
    writeGbkLines(ctx.file(fieldSetFile()), {QString::number(options.fieldSetCode())});
    ctx.state.GradeDivisionFlag = false;

    ExportTemplate(ctx);
    ctx.prompt.message(QStringLiteral("单击“第二步数据输入”按钮，将你的数据粘贴到Excel表中，保存。"));
    return true;
}

} // namespace quorvel
