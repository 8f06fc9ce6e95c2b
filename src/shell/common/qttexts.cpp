#include "qttexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quorvel {

bool installChineseQtTexts(QCoreApplication& app)
{
    // The names of file types and the dates of the file dialog follow the
    // default locale; numbers keep their plain form (no group separators).
    QLocale chinese(QLocale::Chinese, QLocale::China);
    chinese.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(chinese);
    auto* texts = new QTranslator(&app);
    if (!texts->load(QStringLiteral("qtbase_zh_CN"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete texts;
        return false;
    }
    return QCoreApplication::installTranslator(texts);
}

} // namespace quorvel
