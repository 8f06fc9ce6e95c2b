#pragma once

#include "classlists.h"

#include <QByteArray>
#include <QString>

namespace quorvel {

struct Context;

inline QString lookupPageTitle()
{
    return QStringLiteral("新生分班查询");
}

// The digest the page holds for a student: the SHA-256, as 64 hexadecimal
// digits, of the UTF-8 text salt, a line feed, 姓名, a line feed, 编号
// (both without blanks at either end).
QString lookupDigest(const QString& salt, const QString& name, const QString& number);

// The page: a form for 姓名 and 编号, the salt, each class with its head
// teacher, and one digest per student mapped to its class, in the digests'
// order; no name or number of a student in clear.
QString lookupPageHtml(const ClassLists& lists, const QString& salt);

// A new salt: 16 random bytes as 32 hexadecimal digits.
QString newLookupSalt();

// The lookup page into path (a new name of the folder when empty). The path
// written; empty when refused (a student without a class, no class) or not
// written; an own file throws OperationError before anything is read.
QString LookupPage(const Context& ctx, QString path = {});

} // namespace quorvel
