#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace quorvel {

struct Context;

// Students who share a name (重名), or with sound a name that reads the same
// (同音: the same pinyin without tones, by ICU's Han-Latin transliteration):
// a group of two or more, with what they share.
struct SameNameGroup {
    QString reading;    // the name, or its pinyin for a group of sound alone
    bool sound = false; // the names are written differently
    QStringList keys;   // 编号, in the store's order
    QStringList names;
};

// The pinyin of a name without tones, lower case, syllables apart by blanks
// ("zhang san" for 张三 and 章三); the name itself where ICU cannot read it.
QString nameReading(const QString& name);

// The groups among students (编号 beside 姓名): the same 姓名 (blanks around
// it left out; an empty one never), and with sound the same reading of
// names written differently, as one group per reading (a group of the same
// name then takes the others that read like it).
QVector<SameNameGroup> sameNameGroups(const QStringList& keys, const QStringList& names,
                                      bool sound);

// rule same-names [--sound]: finds the groups and adds one 分开 rule per
// group, in one transaction, with the note "重名：姓名" or "同音：pinyin".
// A group an existing 分开 rule names exactly is kept as it is; a group
// the rules refuse (a contradiction with another rule) is left out, its
// refusal said.
struct SameNamesOutcome {
    QVector<SameNameGroup> groups;
    QVector<qint64> added; // per group: the rule's id, 0 when none was added
    QStringList refusals;  // per group: why it was left out, or empty
};
SameNamesOutcome AddSameNameRules(const Context& ctx, bool sound);

} // namespace quorvel
