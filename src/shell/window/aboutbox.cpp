#include "aboutbox.h"

#include "form1.h"
#include "shell/common/artwork.h"

#include <quorvel/version.h>

#include <QAbstractButton>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>

namespace quorvel {

QIcon programIcon()
{
    return QIcon::fromTheme(QStringLiteral("quorvel"),
                            itemIcon(QStringLiteral("分"), QColor(46, 125, 200)));
}

QString aboutText()
{
    const QString web = Form1::webAddress();
    return QStringLiteral("<h3>Quorvel %1</h3>"
                          "<p>分班软件：把一届新生分成总分、各科成绩和男女人数均衡的班级，"
                          "再调整、统计并打印花名表。</p>"
                          "<p>版权所有 © Quorvel开发组<br>"
                          "本程序是自由软件，按 GNU 通用公共许可证第 3 版或（由您选择）"
                          "任何更新版本的条款发布，不提供任何担保。</p>"
                          "<p><a href=\"%2\">%2</a></p>")
        .arg(QString::fromLatin1(ProgramVersion), web);
}

QMessageBox* createAboutBox(QWidget* parent)
{
    auto* box = new QMessageBox(parent);
    box->setObjectName(QStringLiteral("aboutBox"));
    box->setWindowTitle(QStringLiteral("关于 Quorvel"));
    box->setTextFormat(Qt::RichText);
    box->setText(aboutText());
    box->setIconPixmap(programIcon().pixmap(64, 64));
    box->setStandardButtons(QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    return box;
}

void addHelpMenu(QMainWindow* window)
{
    QMenu* help = window->menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("helpMenu"));
    QAction* about = help->addAction(QStringLiteral("关于 Quorvel(&A)"));
    about->setObjectName(QStringLiteral("aboutAction"));
    about->setMenuRole(QAction::AboutRole);
    QObject::connect(about, &QAction::triggered, window, [window] {
        QMessageBox* box = createAboutBox(window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    QAction* qt = help->addAction(QStringLiteral("关于 Qt"));
    qt->setMenuRole(QAction::AboutQtRole);
    QObject::connect(qt, &QAction::triggered, window, [window] { QMessageBox::aboutQt(window); });
}

} // namespace quorvel
