#include "schema.h"

#include "core/context.h"
#include "core/prompt.h"
#include "core/textfile.h"
#include "errors.h"
#include "fieldlists.h"
#include "publicrecord.h"
#include "store.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace quorvel {

const QStringList& subjectNames()
{
    static const QStringList names = {
        QStringLiteral("语文"), QStringLiteral("数学"), QStringLiteral("英语"),
        QStringLiteral("政治"), QStringLiteral("历史"), QStringLiteral("地理"),
        QStringLiteral("物理"), QStringLiteral("化学"), QStringLiteral("生物"),
        QStringLiteral("综文"), QStringLiteral("综理"), QStringLiteral("自然"),
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

QList<ColumnInfo> CreateOptions::columns() const
{
    QList<ColumnInfo> out{{keyColumn(), ColumnType{ColumnType::Text, 15}},
                          {QStringLiteral("姓名"), ColumnType{ColumnType::Text, 30}},
                          {sexColumn(), ColumnType{ColumnType::Text, 2}},
                          {classColumn(), ColumnType{ColumnType::Integer, 0}}};
    for (const QString& name : conditionFields())
        out.append({name, ColumnType{ColumnType::Text, name == u"原学校" ? 10 : 2}});
    for (const QString& name : scoreFields())
        out.append({name, ColumnType{ColumnType::Single, 0}});
    return out;
}

bool CreateOptions::chooseNamed(const QString& field)
{
    if (field == u"原学校")
        school = true;
    else if (field == u"品质等级")
        grade = true;
    else if (field == u"是否农民工子女")
        migrant = true;
    else if (field == u"是否班干部")
        cadre = true;
    else if (const qsizetype s = subjectNames().indexOf(field); s >= 0)
        subjects[size_t(s)] = true;
    else
        return false;
    return true;
}

bool CheckCustomName(Prompt& prompt, const QString& name)
{
    if (name.startsWith(u'是'))
        return true;
    prompt.message(
        QStringLiteral("自定义名称必须为：是否XXXX 。 如：是否住校、是否公费等样式都可以。"));
    return false;
}

namespace {

// The column definitions in the order the table is built: the four fixed
// columns first, then every optional column, then 总分.
void buildTable(Store& store, const CreateOptions& o)
{
    const QString table = quoteIdent(studentTable());
    store.exec(QStringLiteral(
                   "CREATE TABLE %1 (\"编号\" TEXT(15) CONSTRAINT \"编号\" PRIMARY KEY NOT NULL,"
                   "\"姓名\" TEXT(30),\"性别\" TEXT(2),\"班级\" INTEGER)")
                   .arg(table));
    const auto addColumn = [&](const QString& name, const QString& type) {
        store.exec(
            QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table, quoteIdent(name), type));
    };
    const QList<ColumnInfo> columns = o.columns();
    for (qsizetype c = 4; c < columns.size(); ++c)
        addColumn(columns.at(c).name, columns.at(c).type.declared());
}

// Drops every table and view of the store, whatever made them.
void dropEverything(Store& store)
{
    const QVariantList views = store.column(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type='view' ORDER BY rowid"));
    for (const QVariant& v : views)
        store.exec(QStringLiteral("DROP VIEW ") + quoteIdent(v.toString()));
    for (const QString& table : store.tables())
        store.exec(QStringLiteral("DROP TABLE ") + quoteIdent(table));
}

// The connection the rebuild works on: the existing file, or a new one. A
// file that is not a database at all holds nothing to keep and no other
// connection can be using it as one: it is started afresh.
Store openForRebuild(const QString& path)
{
    try {
        return Store::create(path);
    } catch (const StoreError& e) {
        if ((e.code() & 0xff) != SQLITE_NOTADB || !QFile::remove(path))
            throw;
    }
    return Store::create(path);
}

// A custom name the field-list files cannot carry back unchanged, with the
// reason; empty when the name is fine.
QString customNameFault(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("请输入自定义的字段");
    // A comma would split the name in two when the field list is read back.
    if (name.contains(u','))
        return QStringLiteral("自定义字段名中不能含有英文逗号“,”，请修改后再试。");
    if (name.trimmed() != name)
        return QStringLiteral("自定义字段名“%1”的前后不能有空格，请修改后再试。").arg(name);
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            return QStringLiteral("自定义字段名中不能含有换行符或控制字符，请修改后再试。");
    if (!isGbkText(name))
        return QStringLiteral(
                   "自定义字段名“%1”中有GBK编码以外的字符，字段文件无法保存，请修改后再试。")
            .arg(name);
    return {};
}

bool refuseCustomNames(const Context& ctx, const CreateOptions& o)
{
    for (const auto& [chosen, name] :
         {std::pair{o.custom1, o.custom1Name}, {o.custom2, o.custom2Name}}) {
        const QString fault = chosen ? customNameFault(name) : QString();
        if (!fault.isEmpty()) {
            ctx.prompt.message(fault, noticeTitle());
            return true;
        }
    }
    return false;
}

} // namespace

bool CheckCreateOptions(const Context& ctx, const CreateOptions& options)
{
    return !refuseCustomNames(ctx, options);
}

void RebuildStore(const Context& ctx, const CreateOptions& options,
                  const std::function<void(Store&)>& fill)
{
    // The field lists are written aside first, so that a list that cannot
    // be written stops the rebuild before anything has changed.
    StagedTextFile conditions(ctx.file(conditionListFile()), options.conditionFields());
    StagedTextFile scores(ctx.file(scoreListFile()), options.scoreFields());
    StagedTextFile fieldSet(ctx.file(fieldSetFile()), {QString::number(options.fieldSetCode())});
    const QString path = ctx.file(Store::fileName());
    const bool existed = QFileInfo::exists(path);
    try {
        Store store = openForRebuild(path);
        Transaction tr(store); // waits for the write lock, then holds it
        // A sealed roster stays; the stage of schooling outlives the rebuild.
        requireRosterUnsealed(store);
        const SchoolStage stage = readStage(store);
        dropEverything(store);
        buildTable(store, options);
        if (stage != SchoolStage::Senior)
            saveStage(store, stage);
        if (fill)
            fill(store);
        tr.commit();
    } catch (...) {
        if (!existed)
            QFile::remove(path);
        throw;
    }
    conditions.commit();
    scores.commit();
    fieldSet.commit();
    ctx.state.GradeDivisionFlag = false;
}

} // namespace quorvel
