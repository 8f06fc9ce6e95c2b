#pragma once

#include "precisereport.h"

#include "stats/chartdata.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;
class TableRows;
using StudentRows = TableRows;
class Store;

// One student as a card of the class board.
struct ClassCard {
    QString number; // 编号
    QString name;   // 姓名
    QString sex;    // 性别 as stored, blanks removed
    bool boy = false;
    std::optional<double> total;
    // Per yes/no attribute of the board: 是 (true), another value (false)
    // or no value.
    QVector<std::optional<bool>> marks;
    // The placement rules that bind the student: 固定N班, 同班, 分开.
    QStringList rules;
};

// One class of the board: its students from the highest 总分 down and the
// figures of its header.
struct ClassColumn {
    int cls = 0;
    QVector<int> cards; // indexes into ClassColumns::cards()
    int boys = 0;
    int girls = 0;
    std::optional<double> average; // of 总分, rounded to two decimals
    double deviation = 0;          // average minus the mean of the averages
    Standing standing = Standing::Unknown;
    QVector<int> yesCounts; // per attribute, the students holding 是
    // The attribute whose 是 count stands furthest from the classes' mean
    // count (-1 without attributes), and by how much (signed).
    int widest = -1;
    double widestDifference = 0;
};

// The classes in use (班级 above 0) side by side, each with its students
// as cards, read through the listing every adjustment shares; the students
// not placed yet are only counted.
class ClassColumns {
public:
    static ClassColumns read(const Context& ctx, double tolerance = kDefaultTolerance);
    // The board of rows of the listing, without the rules' marks.
    static ClassColumns fromRows(const StudentRows& rows, double tolerance);

    const QVector<ClassColumn>& columns() const { return m_columns; }
    const QVector<ClassCard>& cards() const { return m_cards; }
    // The yes/no attributes as the statistics name them (是否住宿 → 住宿).
    const QStringList& attributes() const { return m_attributes; }
    std::optional<double> mean() const { return m_mean; }
    double tolerance() const { return m_tolerance; }
    int unplaced() const { return m_unplaced; }

    // The column of class cls, or -1.
    int columnOf(int cls) const;
    // The card of the student with this 编号, or -1.
    int cardOf(const QString& number) const;
    // The class of a card.
    int classOf(int card) const { return m_cardClass.value(card); }
    // The cards a search finds: 编号 equal to the text, or 姓名 beginning
    // with it (blanks around it removed; an empty text finds none).
    QVector<int> search(const QString& text) const;

    // The lines of a column's header: the class and its size, boys and
    // girls, the average of 总分, its standing with the deviation from the
    // mean, the widest attribute.
    QStringList headerLines(const ClassColumn& column) const;

private:
    struct Layout;
    void addCard(const QVariantList& row, const Layout& at);
    void finish();
    void markRules(Store& store);
    void judge(ClassColumn& column) const;

    QVector<ClassColumn> m_columns;
    QVector<ClassCard> m_cards;
    QVector<int> m_cardClass;       // per card
    QHash<QString, int> m_byNumber; // 编号 → card
    QStringList m_attributes;
    std::optional<double> m_mean;
    double m_tolerance = kDefaultTolerance;
    int m_unplaced = 0;
};

} // namespace quorvel
