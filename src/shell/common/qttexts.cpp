#include "qttexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quorvel {

bool installChineseQtTexts(QCoreApplication& app)
{
    auto* texts = new QTranslator(&app);
    if (!texts->load(QStringLiteral("qtbase_zh_CN"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete texts;
        return false;
    }
    return QCoreApplication::installTranslator(texts);
}

} // namespace quorvel
